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
#include "rotaskiv/style_constants.h"

namespace {

constexpr QSizeF kHandleSize(4, 4);
// The window under the pointer is outlined more boldly than a selection is framed.
constexpr int kWindowOutlineWidth = 2;
constexpr int kTextEditStartWidth = 25;

QLabel* makeLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(CaptureForm::tr("宽X高"), parent);
  label->setObjectName(name);
  label->setAttribute(Qt::WA_TransparentForMouseEvents);
  label->setAttribute(Qt::WA_TranslucentBackground);
  label->setFont(fonts::cjkFont(QStringLiteral("SimSun"), 10.5));
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, colour::toQColor(style_constants::kSelectionBlue));
  label->setPalette(palette);
  label->adjustSize();
  label->hide();
  return label;
}

QPoint rounded(QPointF p) { return QPoint(qRound(p.x()), qRound(p.y())); }

// Until the screens are grabbed the window covers the primary screen, so in
// its own coordinates the screen starts at the origin.
ScreenLayout primaryScreenInWindow() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return {QRect(QPoint(0, 0), screen != nullptr ? screen->geometry().size() : QSize()), 1};
}

QScreen* screenShowing(const QRect& area) {
  for (QScreen* screen : QGuiApplication::screens())
    if (screen->geometry() == area) return screen;
  return QGuiApplication::screenAt(area.center());
}

void makeFrozenSurface(QWidget* surface) {
  surface->setAttribute(Qt::WA_OpaquePaintEvent);
  surface->setMouseTracking(true);
  surface->setFocusPolicy(Qt::StrongFocus);
}

// QWidget repaints a whole window when it becomes active or inactive (its
// palette has colours of its own for inactive windows) and when it gets or
// loses the keyboard: on a surface that is a second paint of a whole screen,
// in full, at every opening. Only the controls on it are told of the change,
// as QWidget would tell them. True when `event` was such a change.
bool passActivationToControls(QWidget* surface, QEvent* event) {
  if (event->type() != QEvent::WindowActivate && event->type() != QEvent::WindowDeactivate)
    return false;
  for (QObject* child : surface->children()) {
    auto* control = qobject_cast<QWidget*>(child);
    if (control != nullptr && control->isVisible() && !control->isWindow())
      QCoreApplication::sendEvent(control, event);
  }
  return true;
}

constexpr Qt::WindowFlags kSurfaceFlags =
    Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

}  // namespace

CaptureForm::CaptureForm(QWidget* owner) : QWidget(owner, kSurfaceFlags) {
  setObjectName("CaptureForm");
  setAttribute(Qt::WA_DeleteOnClose);
  makeFrozenSurface(this);

  // Made bottom to top: the frame, the handles over it, the labels over
  // those, then the text box, the toolbar and the option panel.
  Shape1 = new DevicePixelBox(std::nullopt, style_constants::kSelectionBlue, this);
  Shape1->setObjectName("Shape1");
  Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
  Shape1->hide();
  windowOutline_ = new DevicePixelBox(std::nullopt, style_constants::kSelectionBlue, this);
  windowOutline_->setObjectName("windowOutline");
  windowOutline_->setLineWidth(kWindowOutlineWidth);
  windowOutline_->setAttribute(Qt::WA_TransparentForMouseEvents);
  windowOutline_->hide();
  for (int i = 0; i < capture::kHandleCount; ++i) {
    Image1[i] = new ResizeHandle(i, this);
    Image1[i]->setObjectName(QStringLiteral("Image1(%1)").arg(i));
    Image1[i]->hide();
    connect(Image1[i], &ResizeHandle::pressed, this, [this](int index) {
      apply(machine_->handlePress(index, session_.toolLocksSelection()));
    });
    connect(Image1[i], &ResizeHandle::moved, this, [this](int index, QPointF global) {
      const QPointF point = onDesktop(controlsOn_, selectionSurface()->mapFromGlobal(global));
      apply(machine_->handleMove(index, point));
      if (machine_->handleDrag() == capture::SelectionMachine::HandleDrag::Start) showLoupe(point);
    });
    connect(Image1[i], &ResizeHandle::released, this, [this](int index) {
      hideLoupe();
      apply(machine_->handleRelease(index));
    });
  }
  LblPos = makeLabel(this, "LblPos");
  lblInfo = makeLabel(this, "lblInfo");

  TextEdit = new QLineEdit(this);
  TextEdit->setObjectName("TextEdit");
  TextEdit->setFrame(false);
  TextEdit->setAttribute(Qt::WA_TranslucentBackground);
  TextEdit->hide();
  connect(TextEdit, &QLineEdit::textChanged, this, [this] { widenTextEdit(); });
  TextEdit->installEventFilter(this);

  Picture1 = new CaptureToolbar(this);
  Picture1->hide();
  connect(Picture1, &CaptureToolbar::buttonClicked, this, &CaptureForm::toolbarClicked);
  Picture2 = new ToolOptionPanel(this);
  Picture2->hide();
  Picture2->Text1->installEventFilter(this);
  // The swatches and the size restyle the selected annotation.
  connect(Picture2, &ToolOptionPanel::colourChosen, this, [this](QColor colour) {
    session_.restyleSelected(colour, std::nullopt);
    showAnnotations();
  });
  connect(Picture2, &ToolOptionPanel::sizeChosen, this, [this](double size) {
    session_.restyleSelected(std::nullopt, qRound(size));
    showAnnotations();
  });
  // Enter in the size box hands the keyboard back, for Delete and the arrows.
  connect(Picture2->Text1, &QLineEdit::returnPressed, this,
          [this] { selectionSurface()->setFocus(); });
  session_.setTextDpi(logicalDpiY());
  machine_ = std::make_unique<capture::SelectionMachine>(std::vector{primaryScreenInWindow()},
                                                         QSizeF(Picture1->size()), kHandleSize);
}

CaptureForm::~CaptureForm() = default;

void CaptureForm::Show() {
  apply({});  // the toolbar parked above the window, everything else hidden
  cursor_override::set(Qt::CrossCursor);

  DesktopGrab grab = screenSource().grab();
  if (!grab.ok()) {
    // Never a black picture: say why, and do not open.
    cursor_override::reset();
    MsgBox(parentWidget(), grab.error.isEmpty() ? tr("无法截取屏幕：找不到屏幕。") : grab.error,
           QString::fromLatin1(style_constants::kProgramCaption), MessageRequest::Icon::Warning);
    close();
    return;
  }
  std::vector<ScreenLayout> layout;
  std::vector<QImage> pictures;
  for (FrozenScreen& screen : grab.screens) {
    const qreal ratio = screen.image.devicePixelRatio();
    // The screens come as 32-bit RGB: then this keeps the picture, uncopied.
    QImage frozen = std::move(screen.image).convertToFormat(QImage::Format_RGB32);
    frozen.setDevicePixelRatio(ratio);
    layout.push_back({screen.geometry, frozen.devicePixelRatio()});
    pictures.push_back(std::move(frozen));
  }
  machine_ =
      std::make_unique<capture::SelectionMachine>(layout, QSizeF(Picture1->size()), kHandleSize);
  // Read with the screens, before this window covers them.
  machine_->setWindows(screenSource().windowFrames());
  session_.open(std::move(pictures));
  openSurfaces(layout);
  apply({});
  activateWindow();
  setFocus();
}

void CaptureForm::openSurfaces(const std::vector<ScreenLayout>& screens) {
  origins_.clear();
  for (std::size_t i = 0; i < screens.size(); ++i) {
    origins_.push_back(QPointF(screens[i].geometry.topLeft()));
    if (i > 0) surfaces_.push_back(new CaptureSurface(this, int(i)));
    QWidget* surface = surfaces_[i];
    // Full screen on its own screen, at that screen's device pixel ratio.
    if (QScreen* screen = screenShowing(screens[i].geometry)) surface->setScreen(screen);
    surface->setGeometry(screens[i].geometry);
    surface->showFullScreen();
  }
}

QPointF CaptureForm::onDesktop(int screen, QPointF point) const { return point + origins_[screen]; }

QPointF CaptureForm::onSelectionScreen(QPointF desktopPoint) const {
  return desktopPoint - origins_[controlsOn_];
}

capture::Selection CaptureForm::selectionOnScreen() const {
  capture::Selection s = machine_->selection();
  const QPointF at = onSelectionScreen(QPointF(s.left, s.top));
  s.left = float(at.x());
  s.top = float(at.y());
  return s;
}

// One set of controls serves every screen: they go where the selection goes.
void CaptureForm::moveControlsTo(int screen) {
  QWidget* surface = surfaces_[screen];
  controlsOn_ = screen;
  session_.moveTo(screen);
  // Bottom to top, as they were made.
  Shape1->setParent(surface);
  for (ResizeHandle* handle : Image1) handle->setParent(surface);
  for (QWidget* control :
       std::initializer_list<QWidget*>{LblPos, lblInfo, TextEdit, Picture1, Picture2})
    control->setParent(surface);
  // That screen may have another device pixel ratio: the icons are drawn anew.
  Picture1->drawIcons();
  Picture2->drawPictures();
  surface->activateWindow();
  surface->setFocus();
}

void CaptureForm::apply(const capture::SelectionStep& step) {
  if (machine_->screenIndex() != controlsOn_) moveControlsTo(machine_->screenIndex());
  const capture::SelectionView& view = machine_->view();
  const capture::Selection s = selectionOnScreen();
  Shape1->setArea(QRectF(s.left, s.top, s.width, s.height));
  Shape1->setVisible(view.frameShown);
  if (!view.sizeText.isEmpty() && LblPos->text() != view.sizeText) {
    LblPos->setText(view.sizeText);
    LblPos->adjustSize();
  }
  LblPos->move(rounded(QPointF(s.left + 2, s.top + 2)));
  lblInfo->move(rounded(QPointF(s.left + 2, LblPos->y() + LblPos->height() + 2)));
  LblPos->setVisible(view.labelsShown);
  lblInfo->setVisible(view.labelsShown);
  if (view.handlesShown) ImageMove();
  for (ResizeHandle* handle : Image1) handle->setVisible(view.handlesShown);
  Picture1->move(rounded(onSelectionScreen(view.toolbarAt)));
  Picture1->setVisible(view.toolbarShown);
  showWindowOutline(view.windowOutline);

  if (step.cursorChanged) {
    if (const auto shape = machine_->cursor())
      cursor_override::set(*shape);
    else
      cursor_override::reset();
  }
  if (step.handleDragStarted) {
    Picture2->hide();
    session_.resetToFirstSnapshot();
  }
  if (step.copyAndClose) {
    copySelection();
    close();
  } else if (step.close) {
    close();
  }
}

void CaptureForm::showWindowOutline(const std::optional<QRectF>& frame) {
  if (!frame) {
    windowOutline_->hide();
    return;
  }
  for (std::size_t i = 0; i < surfaces_.size(); ++i) {
    if (!surfaces_[i]->geometry().contains(frame->center().toPoint())) continue;
    if (windowOutline_->parentWidget() != surfaces_[i]) windowOutline_->setParent(surfaces_[i]);
    windowOutline_->setArea(frame->translated(-origins_[i]));
    windowOutline_->show();
    windowOutline_->raise();
  }
}

void CaptureForm::ImageMove() {
  const auto positions = capture::handlePositions(selectionOnScreen(), kHandleSize);
  for (int i = 0; i < capture::kHandleCount; ++i) {
    Image1[i]->setArea(QRectF(positions[i], kHandleSize));
    Image1[i]->show();
  }
}

void CaptureForm::paintEvent(QPaintEvent* event) { paintScreen(0, this, event->region()); }

bool CaptureForm::event(QEvent* event) {
  return passActivationToControls(this, event) || QWidget::event(event);
}

void CaptureForm::paintScreen(int screen, QWidget* surface, const QRegion& dirty) {
  QPainter painter(surface);
  session_.paint(painter, screen, dirty);
  if (loupe_ && screen == controlsOn_) capture::paintLoupe(painter, session_.picture(), *loupe_);
}

void CaptureForm::showLoupe(QPointF desktopPoint) {
  QWidget* surface = selectionSurface();
  const QRectF area(QPointF(0, 0), QSizeF(surface->size()));
  // Where the pointer left the selection's screen, the loupe stays at its edge.
  const QPointF at = onSelectionScreen(desktopPoint);
  const QPointF pointer(qBound(area.left(), at.x(), area.right() - 1),
                        qBound(area.top(), at.y(), area.bottom() - 1));
  const capture::Selection s = selectionOnScreen();
  const QPointF middle(s.left + s.width / 2.0, s.top + s.height / 2.0);
  const capture::Loupe loupe =
      capture::loupeFor(pointer, middle, area.size(), session_.picture().devicePixelRatio());
  if (loupe_) surface->update(loupe_->area.toAlignedRect());
  loupe_ = loupe;
  surface->update(loupe.area.toAlignedRect());
}

void CaptureForm::hideLoupe() {
  if (loupe_) selectionSurface()->update(loupe_->area.toAlignedRect());
  loupe_.reset();
}

QColor CaptureForm::currentColour() const { return colour::toQColor(Picture2->currentColour()); }

capture::AnnotationSession::Style CaptureForm::style(bool text) {
  const ToolbarButton tool =
      text ? ToolbarButton::Text : session_.tool().value_or(ToolbarButton::Text);
  // The outlines are 1 pixel wide whatever the size box shows.
  if (!ToolOptionPanel::hasSize(tool)) return {currentColour(), 1};
  return {currentColour(), qMax(1, qRound(Picture2->sizeOf(tool)))};
}

void CaptureForm::showAnnotations() { selectionSurface()->update(session_.takeDirty()); }

// --- The mouse on the surfaces -----------------------------------------------

void CaptureForm::mousePressEvent(QMouseEvent* event) { pressOn(0, event); }
void CaptureForm::mouseMoveEvent(QMouseEvent* event) { moveOn(0, event); }
void CaptureForm::mouseReleaseEvent(QMouseEvent* event) { releaseOn(0, event); }
void CaptureForm::mouseDoubleClickEvent(QMouseEvent* event) { doubleClickOn(0, event); }

// Strokes are drawn in the selection's screen's pixels: a press on another
// screen lands outside the selection there.
void CaptureForm::pressOn(int screen, QMouseEvent* event) {
  const QPointF p = onDesktop(screen, event->position());
  if (!session_.toolActive()) return apply(machine_->press(event->button(), p));
  if (session_.tool() == ToolbarButton::PickColour) {
    if (const auto pixel = pixelUnder(screen, event->position()))
      Picture2->setCurrentColour(colour::fromPixel(*pixel));
    return;
  }
  session_.press(onSelectionScreen(p), selectionOnScreen(), style());
  showAnnotations();
}

void CaptureForm::moveOn(int screen, QMouseEvent* event) {
  const QPointF p = onDesktop(screen, event->position());
  showColourUnder(screen, event->position());  // whatever else is going on
  if (session_.toolActive()) {
    session_.move(onSelectionScreen(p), selectionOnScreen(),
                  event->modifiers() & Qt::ShiftModifier);
    showAnnotations();
    // Picking a colour, the loupe shows the pixel under the pointer.
    if (session_.tool() == ToolbarButton::PickColour) showLoupe(p);
    return;
  }
  apply(machine_->move(event->buttons(), p));
  if (machine_->mode() == capture::SelectionMachine::Mode::Draw &&
      (event->buttons() & Qt::LeftButton))
    showLoupe(p);
}

void CaptureForm::releaseOn(int screen, QMouseEvent* event) {
  const QPointF p = onDesktop(screen, event->position());
  if (session_.tool() != ToolbarButton::PickColour || !session_.toolActive()) hideLoupe();
  if (session_.toolActive())
    finishStroke(onSelectionScreen(p), event->modifiers() & Qt::ShiftModifier);
  apply(machine_->release(event->button(), p));
}

// A double-click on a text annotation opens it for typing again; elsewhere
// inside the selection it copies the selection and closes the window. Either
// way what its first click drew (a pen's dot, a marker) is not kept.
void CaptureForm::doubleClickOn(int screen, QMouseEvent* event) {
  if (session_.toolActive()) {
    session_.dropClickDrawing();
    showAnnotations();
    if (editText(onSelectionScreen(onDesktop(screen, event->position())))) return;
  }
  apply(machine_->doubleClick());
}

void CaptureForm::keyPressEvent(QKeyEvent* event) {
  const bool remove = event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace;
  if (event->key() == Qt::Key_Escape)
    close();
  else if (remove && session_.removeSelected())
    showAnnotations();
  else if (!nudge(event))
    QWidget::keyPressEvent(event);
}

// A selected annotation moves; the selection itself not while a tool is
// chosen: then it stays where it is, as it does for the mouse.
bool CaptureForm::nudge(const QKeyEvent* event) {
  int x = 0, y = 0;
  switch (event->key()) {
    case Qt::Key_Left:
      x = -1;
      break;
    case Qt::Key_Right:
      x = 1;
      break;
    case Qt::Key_Up:
      y = -1;
      break;
    case Qt::Key_Down:
      y = 1;
      break;
    default:
      return false;
  }
  const bool shift = event->modifiers() & Qt::ShiftModifier;
  if (session_.nudgeSelected(shift ? 10 * x : x, shift ? 10 * y : y)) {
    showAnnotations();
    return true;
  }
  if (session_.toolActive()) return true;
  apply(shift ? machine_->nudge(0, 0, x, y) : machine_->nudge(x, y, 0, 0));
  return true;
}

// While the text box or the font-size box has the keyboard, Esc is theirs:
// it ends typing there (the text box closes without writing its text), and
// the keyboard goes back to the window, where the next Esc closes it.
bool CaptureForm::eventFilter(QObject* watched, QEvent* event) {
  const bool escape =
      event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
  if (!escape || (watched != TextEdit && watched != Picture2->Text1))
    return QWidget::eventFilter(watched, event);
  if (watched == TextEdit) {
    session_.dropText();
    TextEdit->hide();
    TextEdit->clear();
    showAnnotations();
  }
  selectionSurface()->setFocus();
  return true;
}

void CaptureForm::closeEvent(QCloseEvent* event) {
  // The crosshair and move shapes belong to this window only.
  cursor_override::reset();
  for (QWidget* surface : surfaces_)
    if (surface != this) surface->hide();
  QWidget::closeEvent(event);
}

std::optional<QRgb> CaptureForm::pixelUnder(int screen, QPointF p) const {
  const QImage& picture = session_.picture(screen);
  const qreal dpr = picture.devicePixelRatio();
  const QPoint device(qFloor(qRound(p.x()) * dpr), qFloor(qRound(p.y()) * dpr));
  if (!picture.valid(device)) return std::nullopt;
  return picture.pixel(device);
}

void CaptureForm::showColourUnder(int screen, QPointF p) {
  const auto pixel = pixelUnder(screen, p);
  if (!pixel) return;
  lblInfo->setText(colour::rgbText(colour::fromPixel(*pixel)));
  lblInfo->adjustSize();
}

// --- Tools and history -------------------------------------------------------

void CaptureForm::toolbarClicked(ToolbarButton button) {
  switch (button) {
    case ToolbarButton::Arrow:
    case ToolbarButton::Text:
    case ToolbarButton::Ellipse:
    case ToolbarButton::Rectangle:
    case ToolbarButton::Select:
    case ToolbarButton::Pen:
    case ToolbarButton::Highlighter:
    case ToolbarButton::Line:
    case ToolbarButton::Marker:
    case ToolbarButton::Pixelate:
    case ToolbarButton::Blur:
    case ToolbarButton::PickColour:
      chooseTool(button);
      break;
    case ToolbarButton::Undo:
      undo();
      break;
    case ToolbarButton::Redo:
      session_.redo();
      showAnnotations();
      break;
    case ToolbarButton::Save:
      save();
      break;
    case ToolbarButton::CopyAndExit:
      copyAndExit();
      break;
    case ToolbarButton::ExitCapture:
      close();
      break;
    case ToolbarButton::Pin:
      pinAndExit();
      break;
  }
  session_.noteButton(button);
}

void CaptureForm::chooseTool(ToolbarButton tool) {
  Picture2->arrangeFor(tool);
  if (tool != ToolbarButton::PickColour) hideLoupe();
  const QRectF screen(QPointF(0, 0), machine_->screen().size());
  Picture2->move(rounded(capture::optionPanelPosition(
      QPointF(Picture1->pos()), QSizeF(Picture1->size()), float(Picture2->height()), screen)));
  Picture2->setVisible(session_.chooseTool(tool, Picture2->isVisible()));
  showAnnotations();
}

void CaptureForm::finishStroke(QPointF p, bool shift) {
  using Release = capture::AnnotationSession::Release;
  const Release release = session_.release(p, selectionOnScreen(), shift);
  if (release == Release::PlaceText || release == Release::WriteText) prepareTextBox();
  if (release == Release::PlaceText) {
    // The box goes where the user clicked; the next release writes its text.
    TextEdit->setGeometry(
        QRect(session_.textAt(), QSize(kTextEditStartWidth, TextEdit->fontMetrics().height() + 4)));
    TextEdit->show();
    TextEdit->raise();
    TextEdit->setFocus();
  } else if (release == Release::WriteText) {
    writeText();
  }
  showAnnotations();
}

// The box and the picture take the current colour and size at every click.
void CaptureForm::prepareTextBox() {
  const capture::AnnotationSession::Style text = style(true);
  QPalette palette = TextEdit->palette();
  palette.setColor(QPalette::Text, text.colour);
  TextEdit->setPalette(palette);
  TextEdit->setFont(capture::AnnotationSession::textFont(text.size, logicalDpiY()));
}

bool CaptureForm::editText(QPointF point) {
  const auto text = session_.editTextAt(point);
  if (!text) return false;
  QPalette palette = TextEdit->palette();
  palette.setColor(QPalette::Text, text->colour);
  TextEdit->setPalette(palette);
  TextEdit->setFont(text->font);
  TextEdit->setGeometry(
      QRect(session_.textAt(), QSize(kTextEditStartWidth, TextEdit->fontMetrics().height() + 4)));
  TextEdit->setText(text->text);
  TextEdit->selectAll();
  TextEdit->show();
  TextEdit->raise();
  TextEdit->setFocus();
  showAnnotations();
  return true;
}

void CaptureForm::writeText() {
  session_.writeText(TextEdit->text(), style(true));
  TextEdit->hide();
  TextEdit->clear();
  // Back to the screen, for Delete and the arrow keys.
  selectionSurface()->setFocus();
  showAnnotations();
}

void CaptureForm::widenTextEdit() {
  const int wanted = TextEdit->fontMetrics().horizontalAdvance(TextEdit->text()) + 6;
  if (wanted > TextEdit->width()) TextEdit->resize(wanted, TextEdit->height());
}

void CaptureForm::undo() {
  if (session_.undo()) {
    // A text being typed again may be gone.
    if (!session_.textPending()) TextEdit->hide(), TextEdit->clear();
    showAnnotations();
    return;
  }
  // Nothing to undo: everything is cancelled, and a new selection can be
  // drawn on the unannotated capture.
  session_.cancel();
  machine_->cancelAll();
  apply({});
  Picture2->hide();
  TextEdit->hide();
  TextEdit->clear();
  selectionSurface()->update();
}

// --- Another screen's surface -------------------------------------------------

CaptureSurface::CaptureSurface(CaptureForm* form, int screen)
    : QWidget(form, kSurfaceFlags), form_(form), screen_(screen) {
  setObjectName(QStringLiteral("CaptureSurface(%1)").arg(screen));
  makeFrozenSurface(this);
}

void CaptureSurface::paintEvent(QPaintEvent* event) {
  form_->paintScreen(screen_, this, event->region());
}
bool CaptureSurface::event(QEvent* event) {
  return passActivationToControls(this, event) || QWidget::event(event);
}
void CaptureSurface::mousePressEvent(QMouseEvent* event) { form_->pressOn(screen_, event); }
void CaptureSurface::mouseMoveEvent(QMouseEvent* event) { form_->moveOn(screen_, event); }
void CaptureSurface::mouseReleaseEvent(QMouseEvent* event) { form_->releaseOn(screen_, event); }
void CaptureSurface::mouseDoubleClickEvent(QMouseEvent* event) {
  form_->doubleClickOn(screen_, event);
}
void CaptureSurface::keyPressEvent(QKeyEvent* event) { form_->keyPressEvent(event); }

// Whichever surface is closed, the capture ends on every screen.
void CaptureSurface::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (form_->isVisible()) form_->close();
}
