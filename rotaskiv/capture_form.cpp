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

// The surface's font at `points`, in pixels so that the box the user types
// into and the picture it is written on agree on the size.
QFont surfaceFont(double points, const QWidget* widget) {
  QFont font;
  font.setFamilies(fonts::withCjkFallback(QString()));
  font.setPixelSize(qMax(1, qRound(points * widget->logicalDpiY() / 72.0)));
  return font;
}

// The window covers the primary screen, so in its own coordinates the screen
// starts at the origin.
QRectF screenInWindow() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return QRectF(QPointF(0, 0), screen != nullptr ? QSizeF(screen->geometry().size()) : QSizeF());
}

}  // namespace

CaptureForm::CaptureForm(QWidget* owner)
    : QWidget(owner, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setObjectName("CaptureForm");
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);

  // Made bottom to top: the frame, the handles over it, the labels over
  // those, then the text box, the toolbar and the option panel.
  Shape1 = new QFrame(this);
  Shape1->setObjectName("Shape1");
  makeFlatBox(Shape1, std::nullopt, style_constants::kSelectionBlue);
  Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);
  Shape1->hide();
  for (int i = 0; i < capture::kHandleCount; ++i) {
    Image1[i] = new ResizeHandle(i, this);
    Image1[i]->setObjectName(QStringLiteral("Image1(%1)").arg(i));
    Image1[i]->hide();
    connect(Image1[i], &ResizeHandle::pressed, this, [this](int index) {
      apply(machine_->handlePress(index, session_.toolLocksSelection()));
    });
    connect(Image1[i], &ResizeHandle::moved, this, [this](int index, QPointF global) {
      apply(machine_->handleMove(index, mapFromGlobal(global)));
    });
    connect(Image1[i], &ResizeHandle::released, this,
            [this](int index) { apply(machine_->handleRelease(index)); });
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
  machine_ = std::make_unique<capture::SelectionMachine>(screenInWindow(), QSizeF(Picture1->size()),
                                                         kHandleSize);
}

CaptureForm::~CaptureForm() = default;

void CaptureForm::Show() {
  apply({});  // the toolbar parked above the window, everything else hidden
  cursor_override::set(Qt::CrossCursor);

  const ScreenGrab grab = screenSource().grab();
  if (!grab.ok()) {
    // Never a black picture: say why, and do not open.
    cursor_override::reset();
    MsgBox(parentWidget(), grab.error, QString::fromLatin1(style_constants::kProgramCaption),
           MessageRequest::Icon::Warning);
    close();
    return;
  }
  QImage frozen = grab.image.convertToFormat(QImage::Format_RGB32);
  frozen.setDevicePixelRatio(grab.image.devicePixelRatio());

  if (const QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->geometry());
  showFullScreen();
  session_.open(std::move(frozen));
  activateWindow();
  setFocus();
}

void CaptureForm::apply(const capture::SelectionStep& step) {
  const capture::SelectionView& view = machine_->view();
  const capture::Selection& s = view.frame;
  Shape1->setGeometry(qRound(s.left), qRound(s.top), qRound(s.width), qRound(s.height));
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
  Picture1->move(rounded(view.toolbarAt));
  Picture1->setVisible(view.toolbarShown);

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

void CaptureForm::ImageMove() {
  const auto positions = capture::handlePositions(machine_->selection(), kHandleSize);
  for (int i = 0; i < capture::kHandleCount; ++i) {
    Image1[i]->move(rounded(positions[i]));
    Image1[i]->show();
  }
}

void CaptureForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  session_.paint(painter, currentColour());
}

QColor CaptureForm::currentColour() const { return colour::toQColor(Picture2->currentColour()); }

// --- The mouse on the surface ------------------------------------------------

void CaptureForm::mousePressEvent(QMouseEvent* event) {
  if (session_.toolActive())
    session_.press(event->position(), machine_->selection());
  else
    apply(machine_->press(event->button(), event->position()));
}

void CaptureForm::mouseMoveEvent(QMouseEvent* event) {
  const QPointF p = event->position();
  showColourUnder(p);  // whatever else is going on
  if (session_.toolActive())
    update(session_.move(p, machine_->selection()));
  else
    apply(machine_->move(event->buttons(), p));
}

void CaptureForm::mouseReleaseEvent(QMouseEvent* event) {
  if (session_.toolActive()) finishStroke(event->position());
  apply(machine_->release(event->button(), event->position()));
}

void CaptureForm::mouseDoubleClickEvent(QMouseEvent*) { apply(machine_->doubleClick()); }

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

void CaptureForm::showColourUnder(QPointF p) {
  const QImage& picture = session_.picture();
  const qreal dpr = picture.devicePixelRatio();
  const QPoint device(qFloor(qRound(p.x()) * dpr), qFloor(qRound(p.y()) * dpr));
  if (!picture.valid(device)) return;
  lblInfo->setText(colour::rgbText(colour::fromPixel(picture.pixel(device))));
  lblInfo->adjustSize();
}

// --- Tools and history -------------------------------------------------------

void CaptureForm::toolbarClicked(ToolbarButton button) {
  switch (button) {
    case ToolbarButton::Arrow:
    case ToolbarButton::Text:
    case ToolbarButton::Ellipse:
    case ToolbarButton::Rectangle:
      chooseTool(button);
      break;
    case ToolbarButton::Undo:
      undo();
      break;
    case ToolbarButton::Redo:
      session_.redo();
      update();
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
  }
  session_.noteButton(button);
}

void CaptureForm::chooseTool(ToolbarButton tool) {
  Picture2->arrangeFor(tool == ToolbarButton::Text);
  Picture2->move(
      rounded(capture::optionPanelPosition(QPointF(Picture1->pos()), QSizeF(Picture1->size()),
                                           float(Picture2->height()), machine_->screen())));
  Picture2->setVisible(session_.chooseTool(tool, Picture2->isVisible()));
}

void CaptureForm::finishStroke(QPointF p) {
  using Release = capture::AnnotationSession::Release;
  const Release release = session_.release(p, machine_->selection(), currentColour());
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
  update();
}

// The box and the picture take the current colour and size at every click.
void CaptureForm::prepareTextBox() {
  QPalette palette = TextEdit->palette();
  palette.setColor(QPalette::Text, currentColour());
  TextEdit->setPalette(palette);
  TextEdit->setFont(surfaceFont(Picture2->fontSize(), this));
}

void CaptureForm::writeText() {
  session_.writeText(TextEdit->text(), TextEdit->font(), currentColour());
  TextEdit->hide();
  TextEdit->clear();
  update();
}

void CaptureForm::widenTextEdit() {
  const int wanted = TextEdit->fontMetrics().horizontalAdvance(TextEdit->text()) + 6;
  if (wanted > TextEdit->width()) TextEdit->resize(wanted, TextEdit->height());
}

void CaptureForm::undo() {
  if (session_.undo()) {
    update();
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
  update();
}
