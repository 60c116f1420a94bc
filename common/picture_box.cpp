#include "common/picture_box.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <utility>

#include "common/fallback_text.h"
#include "common/numbers.h"
#include "common/surface.h"

DeviceContext::DeviceContext(PictureBox* box, quint64 generation)
    : box_(box), generation_(generation) {
  ++box->openContexts_;
}

DeviceContext::DeviceContext(DeviceContext&& other) noexcept
    : box_(std::exchange(other.box_, nullptr)), generation_(other.generation_) {}

DeviceContext& DeviceContext::operator=(DeviceContext&& other) noexcept {
  if (this != &other) {
    release();
    box_ = std::exchange(other.box_, nullptr);
    generation_ = other.generation_;
  }
  return *this;
}

DeviceContext::~DeviceContext() { release(); }

void DeviceContext::release() {
  if (box_) {
    --box_->openContexts_;
    box_->update();
  }
  box_ = nullptr;
}

Surface* DeviceContext::get() {
  // A hidden box learns of a new size only on its image's next use.
  if (box_) box_->fitImage();
  const bool current = box_ && box_->generation_ == generation_;
  surface_ = current ? box_->surface_ : Surface{nullptr, 0, 0, 0};
  return &surface_;
}

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
  setBorder(Border::FixedSingle);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Moves are reported with no button held, too.
  setMouseTracking(true);
  setBackColor(backColour_);
}

void PictureBox::setBorder(Border border) {
  border_ = border;
  if (border == Border::None) {
    setFrameStyle(QFrame::NoFrame);
  } else {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
  }
  if (autoSize_) fitToPicture();
}

void PictureBox::setAutoSize(bool on) {
  autoSize_ = on;
  if (on) fitToPicture();
}

double PictureBox::toPixels(double v) const {
  return scaleMode_ == ScaleMode::Twips ? numbers::twipsToPixels(v) : v;
}

double PictureBox::fromPixels(double v) const {
  return scaleMode_ == ScaleMode::Twips ? numbers::pixelsToTwips(v) : v;
}

int PictureBox::pixel(double v) const { return numbers::roundHalfEven32(toPixels(v)); }

QPoint PictureBox::pixelAt(double x, double y) const { return {pixel(x), pixel(y)}; }

QPointF PictureBox::toScale(const QPointF& pixels) const {
  return {fromPixels(pixels.x()), fromPixels(pixels.y())};
}

double PictureBox::ScaleWidth() const { return fromPixels(contentsRect().width()); }
double PictureBox::ScaleHeight() const { return fromPixels(contentsRect().height()); }

QColor PictureBox::penColour(ColourRef c) const {
  return colour::toQColor(colour::isSystemColour(c) ? foreColour_ : c, palette());
}

void PictureBox::setBackColor(ColourRef c) {
  backColour_ = c;
  // The palette tells the style what the box's background is (a flat frame
  // takes its inner ring from it).
  QPalette colours = palette();
  colours.setColor(backgroundRole(), colour::toQColor(c, palette()));
  setPalette(colours);
  recompose();
  update();
}

void PictureBox::setPicture(const QImage& picture) {
  picture_ = picture;
  // A device context taken before shows the old picture's world: retire it
  // even when the image keeps its buffer.
  ++generation_;
  // An opaque picture that fills the box hides the background colour: it is
  // the image, its pixels shared until something draws (canvas() copies them
  // then), so that showing a large picture copies nothing. Taken before the
  // box grows to the picture, which would otherwise compose the image anew.
  const QSize inner = autoSize_ ? picture_.size() : contentsRect().size();
  const bool fills = picture_.format() == QImage::Format_RGB32 && picture_.size() == inner;
  if (fills) {
    image_ = picture_;
    surface_ = surface::view(image_);
  }
  if (autoSize_) fitToPicture();
  if (!fills) recompose();
  update();
}

void PictureBox::fitToPicture() {
  // QFrame keeps its frame in the contents margins.
  const QSize inner = picture_.isNull() ? QSize(0, 0) : picture_.size();
  resize(inner.grownBy(contentsMargins()));
}

namespace {

void compose(QImage& image, const QColor& ground, const QImage& picture) {
  image.fill(ground);
  if (!picture.isNull()) QPainter(&image).drawImage(0, 0, picture);
}

}  // namespace

QImage PictureBox::composed(QSize size, const QColor& ground, const QImage& picture, QImage blank) {
  QImage image = blank.size() == size && blank.format() == QImage::Format_RGB32
                     ? std::move(blank)
                     : QImage(size, QImage::Format_RGB32);
  if (!image.isNull()) compose(image, ground, picture);
  return image;
}

QImage PictureBox::refitted(const QImage& old, QSize size, const QColor& ground,
                            const QImage& picture, QImage blank) {
  if (old.size() == size) return old;
  QImage image = composed(size, ground, picture, std::move(blank));
  if (!image.isNull()) QPainter(&image).drawImage(0, 0, old);
  return image;
}

QColor PictureBox::groundColour() const { return colour::toQColor(backColour_, palette()); }

QImage PictureBox::adoptImage(QImage image, std::optional<ColourRef> ground,
                              std::optional<QImage> picture) {
  if (picture) picture_ = std::move(*picture);
  if (ground) {
    backColour_ = *ground;
    QPalette colours = palette();
    colours.setColor(backgroundRole(), colour::toQColor(*ground, palette()));
    setPalette(colours);
  }
  QImage before = std::exchange(image_, std::move(image));
  ++generation_;
  surface_ = surface::of(image_);
  update();
  return before;
}

void PictureBox::recompose() const {
  const QSize size = contentsRect().size().expandedTo(QSize(1, 1));
  // A buffer a caller's copy still shares is left to that copy.
  if (image_.size() != size || !image_.isDetached()) {
    image_ = QImage(size, QImage::Format_RGB32);
    ++generation_;
  }
  compose(image_, groundColour(), picture_);
  surface_ = surface::of(image_);
}

void PictureBox::fitImage() const {
  const QSize size = contentsRect().size().expandedTo(QSize(1, 1));
  if (image_.size() == size) return;
  image_ = refitted(image_, size, groundColour(), picture_);
  ++generation_;
  surface_ = surface::of(image_);
}

QImage& PictureBox::canvas() {
  fitImage();
  // A caller's copy of Image() shares the pixels: drawing gets a buffer of
  // its own, which no device context handed out before knows.
  if (!image_.isDetached()) {
    image_ = image_.copy();
    ++generation_;
    surface_ = surface::of(image_);
  }
  return image_;
}

QImage PictureBox::Image() const {
  fitImage();
  // While device contexts are out, their writes must not reach the copy.
  return openContexts_ > 0 ? image_.copy() : image_;
}

void PictureBox::Cls() {
  recompose();
  CurrentX = CurrentY = 0;
  update();
}

void PictureBox::Line(double x1, double y1, double x2, double y2, ColourRef c, bool box,
                      bool filled) {
  QPainter painter(&canvas());
  const QColor colour = penColour(c);
  const QPointF a = pixelAt(x1, y1), b = pixelAt(x2, y2);
  // Square ends reach the end pixels, and wide rules that meet at a corner
  // close it.
  painter.setPen(QPen(colour, drawWidth_, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  if (box) {
    const QRectF rect = QRectF(a, b).normalized();
    if (filled)
      painter.fillRect(rect.adjusted(0, 0, 1, 1), colour);
    else
      painter.drawRect(rect);
  } else {
    painter.drawLine(a, b);
  }
  CurrentX = x2;
  CurrentY = y2;
  update();
}

void PictureBox::PSet(double x, double y, ColourRef c) {
  canvas();
  const QPoint at = pixelAt(x, y);
  surface::setPixel(surface_, at.x(), at.y(), colour::fromQColor(penColour(c)));
  CurrentX = x;
  CurrentY = y;
  update();
}

ColourRef PictureBox::Point(double x, double y) const {
  fitImage();
  const QPoint at = pixelAt(x, y);
  return surface::getPixel(surface_, at.x(), at.y());
}

double PictureBox::TextWidth(const QString& text) const {
  int widest = 0;
  for (const QString& line : text.split(QLatin1Char('\n')))
    widest = std::max(widest,
                      fallback_text::advance(fallback_text::split(font(), line, &image_), &image_));
  return fromPixels(widest);
}

double PictureBox::TextHeight(const QString& text) const {
  const qsizetype lines = text.count(QLatin1Char('\n')) + 1;
  return fromPixels(double(lines) * QFontMetrics(font(), &image_).height());
}

PictureBox::TextPlacement PictureBox::placeText(const QString& text) {
  TextPlacement placed{font(), penColour(foreColour_), std::nullopt, {}, {}};
  if (!fontTransparent_) placed.box = groundColour();
  placed.lines = text.split(QLatin1Char('\n'));
  for (qsizetype i = 0; i < placed.lines.size(); ++i) {
    if (i > 0) {
      CurrentX = 0;
      CurrentY += TextHeight();
    }
    if (placed.lines[i].endsWith(QLatin1Char('\r'))) placed.lines[i].chop(1);
    placed.starts << pixelAt(CurrentX, CurrentY);
  }
  CurrentX = 0;
  CurrentY += TextHeight();
  return placed;
}

void PictureBox::drawText(QImage& image, const TextPlacement& text) {
  QPainter painter(&image);
  painter.setFont(text.font);
  painter.setPen(text.pen);
  for (qsizetype i = 0; i < text.lines.size(); ++i) {
    // Letters the face lacks come from a CJK face, even from a symbol face.
    const QList<fallback_text::Run> runs = fallback_text::split(text.font, text.lines[i], &image);
    if (text.box)
      painter.fillRect(QRect(text.starts[i], fallback_text::lineSize(runs, &image)), *text.box);
    fallback_text::draw(painter, text.starts[i], runs);
  }
}

void PictureBox::Print(const QString& text) {
  const TextPlacement placed = placeText(text);
  drawText(canvas(), placed);
  update();
}

void PictureBox::PaintPicture(const QImage& picture, double x, double y, std::optional<double> w,
                              std::optional<double> h) {
  const QSize size(w ? pixel(*w) : picture.width(), h ? pixel(*h) : picture.height());
  if (picture.isNull() || size.width() <= 0 || size.height() <= 0) return;
  // Without smoothing QPainter scales to the nearest pixel, as StretchBlt does.
  QPainter(&canvas()).drawImage(QRect(pixelAt(x, y), size), picture);
  update();
}

void PictureBox::setOverlayLine(int index, const OverlayLine& line) {
  // A handful of guides; an index beyond any sensible number is refused
  // rather than allocated.
  constexpr int kMaxOverlayLines = 64;
  if (index < 0 || index >= kMaxOverlayLines) return;
  if (index >= overlay_.size()) overlay_.resize(index + 1, OverlayLine{{}, 0, false});
  overlay_[index] = line;
  update();
}

DeviceContext PictureBox::hDC() {
  canvas();
  return DeviceContext(this, generation_);
}

void PictureBox::Refresh() { update(); }

void PictureBox::paintEvent(QPaintEvent* event) {
  QFrame::paintEvent(event);
  fitImage();
  QPainter painter(this);
  const QRect inner = contentsRect();
  painter.setClipRect(inner);
  painter.fillRect(inner, colour::toQColor(backColour_, palette()));
  painter.drawImage(inner.topLeft(), image_);
  for (const OverlayLine& overlay : overlay_) {
    if (!overlay.visible) continue;
    painter.setPen(QPen(colour::toQColor(overlay.colour, palette()), 1));
    painter.drawLine(inner.topLeft() + pixelAt(overlay.line.x1(), overlay.line.y1()),
                     inner.topLeft() + pixelAt(overlay.line.x2(), overlay.line.y2()));
  }
}

void PictureBox::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  // Keep what was drawn: the persistent image grows with the box.
  fitImage();
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
  const QPointF p = toScale(event->position() - contentsRect().topLeft());
  emit mouseDown(event->button(), event->modifiers(), p.x(), p.y());
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
  const QPointF p = toScale(event->position() - contentsRect().topLeft());
  emit mouseMove(event->buttons(), event->modifiers(), p.x(), p.y());
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
  const QPointF p = toScale(event->position() - contentsRect().topLeft());
  emit mouseUp(event->button(), event->modifiers(), p.x(), p.y());
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
  Q_UNUSED(event);
  emit dblClick();
}
