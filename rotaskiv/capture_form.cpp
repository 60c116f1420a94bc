#include "rotaskiv/capture_form.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QtMath>

#include "common/cursor_override.h"
#include "common/dialogs.h"
#include "common/fonts.h"
#include "rotaskiv/capture_parts.h"
#include "rotaskiv/capture_toolbar.h"
#include "rotaskiv/screen_source.h"

namespace {

const QSizeF kHandleSize(4, 4);
const QColor kLabelBlue(0, 122, 236);

QLabel* makeLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(QStringLiteral("宽X高"), parent);
  label->setObjectName(name);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  label->setAttribute(Qt::WA_TranslucentBackground);
  label->setFont(fonts::cjkFont(QStringLiteral("SimSun"), 10.5));
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, kLabelBlue);
  label->setPalette(palette);
  label->adjustSize();
  label->hide();
  return label;
}

QPoint rounded(QPointF p) { return QPoint(qRound(p.x()), qRound(p.y())); }

}  // namespace

CaptureForm::CaptureForm(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("CaptureForm");
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);

  Shape1 = new SelectionFrame(this);
  Shape1->setObjectName("Shape1");
  Shape1->hide();
  for (int i = 0; i < capture::kHandleCount; ++i) {
    Image1[i] = new ResizeHandle(i, this);
    Image1[i]->setObjectName(QStringLiteral("Image1(%1)").arg(i));
    Image1[i]->hide();
    connect(Image1[i], &ResizeHandle::pressed, this, &CaptureForm::handleDown);
    connect(Image1[i], &ResizeHandle::moved, this, &CaptureForm::handleMove);
    connect(Image1[i], &ResizeHandle::released, this, &CaptureForm::handleUp);
  }
  LblPos = makeLabel(this, "LblPos");
  lblInfo = makeLabel(this, "lblInfo");

  TextEdit = new QLineEdit(this);
  TextEdit->setObjectName("TextEdit");
  TextEdit->setFrame(false);
  TextEdit->setAttribute(Qt::WA_TranslucentBackground);
  TextEdit->hide();
  connect(TextEdit, &QLineEdit::textChanged, this, [this] { widenTextEdit(); });

  Picture1 = new CaptureToolbar(this);
  Picture1->hide();
  connect(Picture1, &CaptureToolbar::buttonClicked, this, &CaptureForm::toolbarClicked);
  Picture2 = new ToolOptionPanel(this);
  Picture2->hide();
}

CaptureForm::~CaptureForm() = default;

QSizeF CaptureForm::screenSize() const {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? QSizeF(screen->geometry().size()) : QSizeF(size());
}

void CaptureForm::Show() {
  Picture1->move(0, -Picture1->height());
  Picture1->hide();
  cursor_override::set(Qt::CrossCursor);

  const ScreenGrab grab = screenSource().grab();
  if (!grab.ok()) {
    // Never a black picture: say why, and do not open.
    cursor_override::reset();
    MsgBox(parentWidget(), grab.error, QStringLiteral("Rotaskiv2.0"),
           MessageRequest::Icon::Warning);
    close();
    return;
  }
  committed_ = grab.image.convertToFormat(QImage::Format_RGB32);
  committed_.setDevicePixelRatio(grab.image.devicePixelRatio());

  if (const QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->geometry());
  showFullScreen();
  history_.clear();
  history_.push(bag_.WriteP(committed_));
  mode_ = Mode::Draw;
  toolActive_ = false;
  activateWindow();
  setFocus();
}

void CaptureForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.drawImage(QPointF(0, 0), committed_);
  if (previewEnd_) drawStroke(painter, strokeStart_, *previewEnd_);
}

// --- The mouse on the surface ------------------------------------------------

void CaptureForm::mousePressEvent(QMouseEvent* event) {
  if (toolActive_)
    toolDown(event->position());
  else
    surfaceDown(event->button(), event->position());
}

void CaptureForm::mouseMoveEvent(QMouseEvent* event) {
  const QPointF p = event->position();
  // The colour under the pointer, whatever else is going on.
  const qreal dpr = committed_.devicePixelRatio();
  const QPoint device(qFloor(qRound(p.x()) * dpr), qFloor(qRound(p.y()) * dpr));
  if (committed_.valid(device)) {
    lblInfo->setText(colour::rgbText(colour::fromPixel(committed_.pixel(device))));
    lblInfo->adjustSize();
  }
  if (toolActive_)
    toolMove(p);
  else
    surfaceMove(event->buttons(), p);
}

void CaptureForm::mouseReleaseEvent(QMouseEvent* event) {
  if (toolActive_) toolUp(event->position());
  surfaceUp(event->button(), event->position());
}

void CaptureForm::surfaceDown(Qt::MouseButton button, QPointF p) {
  Picture1->hide();
  if (mode_ == Mode::Draw) {
    Shape1->show();
    anchor_ = p;
    setSelection({float(p.x()), float(p.y()), 0, 0});
    if (button == Qt::RightButton) keepOpenOnOtherRelease_ = false;
    return;
  }
  cursor_override::set(Qt::CrossCursor);
  hitRect_ = selection_;
  if (capture::hitTest(p, hitRect_)) {
    pressPoint_ = p;
    if (button == Qt::RightButton) cancelSelection(p);
  } else {
    cancelSelection(p);
  }
}

void CaptureForm::surfaceMove(Qt::MouseButtons buttons, QPointF p) {
  cursor_override::set(capture::strictlyInside(p, selection_) ? Qt::SizeAllCursor
                                                              : Qt::CrossCursor);
  if (!(buttons & Qt::LeftButton)) return;
  setSelectionLabelsVisible(false);
  if (mode_ == Mode::Draw) {
    setSelection(capture::drawnSelection(anchor_, p));
    setSizeLabel();
    placeLabels();
    cursor_override::set(Qt::CrossCursor);
  } else {
    cursor_override::set(Qt::SizeAllCursor);
    setSelection(capture::movedSelection(anchor_, pressPoint_, p, selection_, screenSize()));
    placeLabels();
  }
  ImageMove();
  setSelectionLabelsVisible(true);
}

void CaptureForm::surfaceUp(Qt::MouseButton button, QPointF) {
  if (button != Qt::LeftButton) {
    if (!keepOpenOnOtherRelease_) close();
    return;
  }
  if (mode_ == Mode::Draw) mode_ = Mode::Move;
  anchor_ = QPointF(selection_.left, selection_.top);
  placeToolbar();
}

void CaptureForm::mouseDoubleClickEvent(QMouseEvent*) {
  if (!capture::hitTest(pressPoint_, hitRect_)) return;
  Picture1->hide();
  QCoreApplication::processEvents();
  Shape1->hide();
  const QRect r = selectionPixels();
  ScrnCap(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
  close();
}

void CaptureForm::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape)
    close();
  else
    QWidget::keyPressEvent(event);
}

void CaptureForm::closeEvent(QCloseEvent* event) {
  // The crosshair and move shapes belong to this window only.
  cursor_override::reset();
  QWidget::closeEvent(event);
}

void CaptureForm::cancelSelection(QPointF p) {
  anchor_ = p;
  setSelection({float(p.x()), float(p.y()), 0, 0});
  setSelectionLabelsVisible(false);
  for (ResizeHandle* handle : Image1) handle->hide();
  cursor_override::reset();
  mode_ = Mode::Draw;
  keepOpenOnOtherRelease_ = true;
}

void CaptureForm::setSelection(const capture::Selection& s) {
  selection_ = s;
  Shape1->setGeometry(qRound(s.left), qRound(s.top), qRound(s.width), qRound(s.height));
}

void CaptureForm::setSelectionLabelsVisible(bool visible) {
  Shape1->setVisible(visible);
  LblPos->setVisible(visible);
  lblInfo->setVisible(visible);
  if (visible) {
    LblPos->raise();
    lblInfo->raise();
  }
}

void CaptureForm::setSizeLabel() {
  LblPos->setText(capture::sizeLabelText(selection_.width, selection_.height));
  LblPos->adjustSize();
}

void CaptureForm::placeLabels() {
  LblPos->move(rounded(QPointF(selection_.left + 2, selection_.top + 2)));
  lblInfo->move(rounded(QPointF(selection_.left + 2, LblPos->y() + LblPos->height() + 2)));
}

void CaptureForm::ImageMove() {
  const auto positions = capture::handlePositions(selection_, kHandleSize);
  for (int i = 0; i < capture::kHandleCount; ++i) {
    Image1[i]->move(rounded(positions[i]));
    Image1[i]->show();
    Image1[i]->raise();
  }
}

void CaptureForm::placeToolbar() {
  Picture1->move(rounded(capture::toolbarPosition(selection_, QSizeF(Picture1->size()),
                                                  float(screenSize().height()))));
  Picture1->show();
  Picture1->raise();
}

// --- Resizing with the handles -----------------------------------------------

void CaptureForm::handleDown(int) {
  if (history_.count() == 1) toolActive_ = false;
  if (toolActive_ || mode_ != Mode::Move) return;
  handleDrag_ = HandleDrag::Start;
  handlePressEdges_ = {selection_.left, selection_.top, selection_.right(), selection_.bottom()};
  Picture1->hide();
  Picture2->hide();
  history_.resetToFirst();
}

void CaptureForm::handleMove(int index, QPointF globalPosition) {
  cursor_override::set(capture::handleCursor(index));
  if (handleDrag_ != HandleDrag::Start) return;
  const QPointF cursor = mapFromGlobal(globalPosition);
  // A drag past the opposite edge is refused; handles and labels still follow.
  if (const auto resized = capture::resizedSelection(index, cursor, handlePressEdges_, kHandleSize))
    setSelection(*resized);
  ImageMove();
  setSizeLabel();
  placeLabels();
  anchor_ = QPointF(selection_.left, selection_.top);
}

void CaptureForm::handleUp(int) {
  handleDrag_ = HandleDrag::Stop;
  placeToolbar();
}
