#include "rotaskiv/main_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QScrollBar>
#include <QUrl>
#include <optional>

#include "common/face_button.h"
#include "common/picture_box.h"
#include "common/picture_filter.h"
#include "common/picture_load_job.h"
#include "common/picture_loader.h"
#include "common/surface.h"
#include "rotaskiv/capture_form.h"
#include "rotaskiv/rotate_library.h"
#include "rotaskiv/style_constants.h"

namespace {

constexpr int kClientWidth = 753;
constexpr int kClientHeight = 702;
constexpr ColourRef kPanelColour = 0x00F5A038;
constexpr ColourRef kButtonColour = 0x00F5BC7C;
constexpr ColourRef kStartMask = 0x00FFFFFF;

// Slider reset values, in the order reset applies them.
constexpr int kHueReset = 0, kSaturationReset = 100, kThresholdReset = 100;
constexpr int kAngleReset = 0, kTransparencyReset = 100, kZoomReset = 200;

QScrollBar* makeBar(QWidget* parent, const QString& name, int left, int top, int min, int max,
                    int value) {
  auto* bar = new QScrollBar(Qt::Horizontal, parent);
  bar->setObjectName(name);
  bar->setGeometry(left, top, 193, 18);
  bar->setRange(min, max);
  bar->setSingleStep(1);
  bar->setPageStep(1);
  bar->setValue(value);
  return bar;
}

QLabel* makeLabel(QWidget* parent, const QString& name, const QString& caption, int left, int top) {
  auto* label = new QLabel(caption, parent);
  label->setObjectName(name);
  label->move(left, top);
  label->adjustSize();
  return label;
}

FaceButton* makeButton(QWidget* parent, const QString& name, const QString& caption, int left,
                       int top) {
  auto* button = new FaceButton(caption, parent);
  button->setObjectName(name);
  button->setGeometry(left, top, 67, 23);
  button->setBackColor(kButtonColour);
  return button;
}

// The drop test looks at the last three characters only, as users of the
// tool know it: "x.jpeg" is refused, "picturebmp" is taken.
bool droppableName(const QString& path) {
  static const QStringList kEndings = {"bmp", "dib", "gif", "jpg", "wmf", "emf", "ico", "cur"};
  return kEndings.contains(path.right(3).toLower());
}

// The first local file of a drag. Web addresses and plain text are not
// pictures on this machine, and they never end up typed into the path box.
std::optional<QString> firstLocalFile(const QMimeData* data) {
  for (const QUrl& url : data->urls())
    if (url.isLocalFile()) return url.toLocalFile();
  return std::nullopt;
}

}  // namespace

Form1::Form1(std::unique_ptr<RotateLibrary> rotator, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      rotator_(rotator ? std::move(rotator) : std::make_unique<RotateLibrary>()) {
  setObjectName("Form1");
  setWindowTitle(QString::fromLatin1(style_constants::kProgramCaption));
  setFixedSize(kClientWidth, kClientHeight);
  setAutoFillBackground(true);
  QPalette windowPalette = palette();
  windowPalette.setColor(QPalette::Window, colour::toQColor(kPanelColour));
  setPalette(windowPalette);

  buildControls();
  connectHandlers();
  pictureLoad_ = new PictureLoadJob(this);

  // Load: show the sample picture on the built-in background. Nothing else
  // can be waiting yet, so there are no events to let through.
  paintDisplay();
}

Form1::~Form1() = default;

void Form1::buildControls() {
  S = new PictureBox(this);
  S->setObjectName("S");
  S->setBorder(PictureBox::Border::None);
  S->setScaleMode(PictureBox::ScaleMode::Pixels);
  S->setAutoSize(true);
  S->setPicture(QImage(":/assets/sample.png").convertToFormat(QImage::Format_RGB32));
  S->hide();

  Picture2 = new PictureBox(this);
  Picture2->setObjectName("Picture2");
  Picture2->setScaleMode(PictureBox::ScaleMode::Pixels);
  Picture2->setGeometry(0, 98, 753, 605);
  Picture2->setBackColor(colour::kButtonFace);
  Picture2->setPicture(QImage(":/assets/background.png").convertToFormat(QImage::Format_RGB32));

  Frame1 = new QFrame(this);
  Frame1->setObjectName("Frame1");
  Frame1->setGeometry(0, 2, 753, 95);
  Frame1->setFrameStyle(QFrame::Box | QFrame::Sunken);

  vScroll1 = makeBar(Frame1, "vScroll1", 62, 10, 0, 360, kAngleReset);
  HScroll1 = makeBar(Frame1, "HScroll1", 62, 30, 0, 100, kTransparencyReset);
  HScroll2 = makeBar(Frame1, "HScroll2", 62, 50, 20, 400, kZoomReset);
  Label4 = makeLabel(Frame1, "Label4", tr("角度"), 12, 16);
  Label5 = makeLabel(Frame1, "Label5", tr("透明度"), 12, 36);
  Label6 = makeLabel(Frame1, "Label6", tr("缩放"), 12, 52);

  const int maxima[3] = {360, 200, 200};
  const int resets[3] = {kHueReset, kSaturationReset, kThresholdReset};
  for (int i = 0; i < 3; ++i) {
    HScroll3[i] = makeBar(Frame1, QStringLiteral("HScroll3(%1)").arg(i), 308, 10 + 20 * i, 0,
                          maxima[i], resets[i]);
    Label2[i] = new QLabel(Frame1);
    Label2[i]->setObjectName(QStringLiteral("Label2(%1)").arg(i));
    Label2[i]->setGeometry(510, i == 0 ? 12 : 10 + 20 * i, 25, 16);
  }
  Label7 = makeLabel(Frame1, "Label7", tr("色度"), 270, 14);
  Label8 = makeLabel(Frame1, "Label8", tr("饱和度"), 270, 34);
  Label9 = makeLabel(Frame1, "Label9", tr("阀值"), 270, 52);

  Label1 = new QLabel(tr("图片地址"), Frame1);
  Label1->setObjectName("Label1");
  Label1->setGeometry(12, 72, 51, 19);
  Text1 = new QLineEdit(Frame1);
  Text1->setObjectName("Text1");
  Text1->setGeometry(62, 70, 473, 21);
  Text1->setAcceptDrops(true);
  Text1->installEventFilter(this);

  Command3 = makeButton(Frame1, "Command3", tr("复位"), 542, 14);
  Command2 = makeButton(Frame1, "Command2", tr("屏蔽色"), 542, 40);
  Command2->setBackColor(kStartMask);
  Command1 = makeButton(Frame1, "Command1", tr("导入图片"), 542, 68);
  Command5 = makeButton(Frame1, "Command5", tr("背景色"), 612, 14);
  Command4 = makeButton(Frame1, "Command4", tr("剪裁保存"), 612, 68);
  Command6 = makeButton(Frame1, "Command6", tr("背景图片"), 682, 14);
  Command7 = makeButton(Frame1, "Command7", tr("清 除"), 682, 68);
}

void Form1::connectHandlers() {
  // Each bar redraws on every change of value: a click, a key, the program,
  // or the thumb being dragged.
  for (QScrollBar* bar : {vScroll1, HScroll1, HScroll2})
    connect(bar, &QScrollBar::valueChanged, this, [this] { Draw(); });
  for (int i = 0; i < 3; ++i)
    connect(HScroll3[i], &QScrollBar::valueChanged, this, [this, i] { HScroll3_Change(i); });

  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command2, &FaceButton::mouseUp, this,
          [this](Qt::MouseButton button) { Command2_MouseUp(button); });
  connect(Command3, &QPushButton::clicked, this, [this] { Command3_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
  connect(Command6, &QPushButton::clicked, this, [this] { Command6_Click(); });
  connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });
  connect(Picture2, &PictureBox::mouseDown, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, double x, double y) {
            Picture2_MouseDown(x, y);
          });
}

void Form1::Draw() {
  paintDisplay();
  // While a thumb is dragged the next scroll event is handled straight away.
  QCoreApplication::processEvents();
}

void Form1::paintDisplay() {
  Picture2->Cls();
  DrawInputs in;
  in.mask = Command2->BackColor();
  in.angle = vScroll1->value();
  in.displayWidth = static_cast<float>(Picture2->width());
  in.displayHeight = static_cast<float>(Picture2->height());
  in.sourceWidth = static_cast<float>(S->width());
  in.sourceHeight = static_cast<float>(S->height());
  in.zoom = HScroll2->value();
  in.transparency = HScroll1->value();
  in.hue = HScroll3[0]->value();
  in.saturation = HScroll3[1]->value();
  in.threshold = HScroll3[2]->value();

  // The source is only read: a view of its pixels, which a large picture
  // shares with the box rather than being copied on every import.
  const QImage source = S->Image();
  Surface sourcePixels = surface::view(source);
  if (!rotator_->rotate(Picture2->hDC(), &sourcePixels, computeRotateArguments(in)) &&
      !rotatorFailureReported_) {
    // Say it once; the display keeps showing its background.
    rotatorFailureReported_ = true;
    MsgBox(this,
           tr("找不到图像旋转库 rotate，图片无法显示，只显示背景。\n%1").arg(rotator_->error()),
           windowTitle(), MessageRequest::Icon::Warning);
  }
  Picture2->Refresh();
}

void Form1::loadOrReport(const QString& path, const PictureUse& use) {
  pictureLoad_->start(path, [this, path, use](const LoadedPicture& loaded) {
    if (loaded.ok()) return use(loaded.image);
    MsgBox(this, tr("无法打开图片“%1”：\n%2").arg(path, loaded.error), windowTitle(),
           MessageRequest::Icon::Warning);
  });
}

void Form1::choosePicture(const PictureUse& use) {
  // Every kind the loader opens comes first, so that a folder of PNG files
  // does not look empty.
  CommonDialog1.Filter = pictureOpenFilter(
      tr("所支持的图片|*.bmp;*.dib;*.gif;*.jpg;*.wmf;*.emf;*.ico;*.cur|Bitmaps|*.bmp;*.dib|"
         "JPEG Images|*.jpg|Metafiles|*.wmf;*.emf|Icons|*.ico;*.cur"));
  // A cancelled dialog changes nothing: not the path box, not the pictures.
  if (!CommonDialog1.ShowOpen(this)) return;
  Text1->setText(CommonDialog1.FileName);
  const QFileInfo file(Text1->text());
  if (Text1->text().isEmpty() || !file.exists() || file.isDir()) return;
  loadOrReport(Text1->text(), use);
}

void Form1::Command1_Click() {
  choosePicture([this](const QImage& picture) {
    S->setPicture(picture);
    Draw();
  });
}

void Form1::Command6_Click() {
  choosePicture([this](const QImage& picture) {
    Picture2->setPicture(picture);
    Draw();
  });
}

void Form1::Command5_Click() {
  if (!CommonDialog1.ShowColor(this)) return;
  // Empties the drawn layer; the picture comes back with the next Draw.
  Picture2->setBackColor(CommonDialog1.Color);
}

void Form1::Command7_Click() { Picture2->setPicture(QImage()); }

void Form1::Command2_MouseUp(Qt::MouseButton button) {
  if (button == Qt::LeftButton) {
    if (!CommonDialog1.ShowColor(this)) return;
    Command2->setBackColor(CommonDialog1.Color);
  } else {
    Command2->setBackColor(colour::kButtonFace);  // no mask colour
  }
  Draw();
}

void Form1::Picture2_MouseDown(double x, double y) {
  const ColourRef picked = Picture2->Point(x, y);
  if (picked == colour::kInvalid) return;  // on the border, outside the image
  Command2->setBackColor(picked);
  Draw();
}

void Form1::Command3_Click() {
  // setValue raises a change only for a bar that moves, so this redraws once
  // per bar that was away from its reset value.
  HScroll3[0]->setValue(kHueReset);
  HScroll3[1]->setValue(kSaturationReset);
  HScroll3[2]->setValue(kThresholdReset);
  vScroll1->setValue(kAngleReset);
  HScroll1->setValue(kTransparencyReset);
  HScroll2->setValue(kZoomReset);
}

void Form1::HScroll3_Change(int index) {
  Draw();
  Label2[index]->setText(QString::number(HScroll3[index]->value()));
}

void Form1::Command4_Click() {
  auto* form = new CaptureForm(this);
  captureForm_ = form;
  form->Show();
}

bool Form1::Text1_Drop(const QString& path) {
  if (!droppableName(path)) return false;
  Text1->setText(path);
  loadOrReport(path, [this](const QImage& picture) {
    S->setPicture(picture);
    Draw();
  });
  return true;
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (watched != Text1) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
      auto* drag = static_cast<QDropEvent*>(event);
      if (firstLocalFile(drag->mimeData()))
        drag->acceptProposedAction();
      else
        drag->ignore();
      return true;  // never the line edit's own text drop
    }
    case QEvent::Drop: {
      auto* drop = static_cast<QDropEvent*>(event);
      const std::optional<QString> path = firstLocalFile(drop->mimeData());
      if (path && Text1_Drop(*path))
        drop->acceptProposedAction();
      else
        drop->ignore();
      return true;
    }
    default:
      return QWidget::eventFilter(watched, event);
  }
}

void Form1::closeEvent(QCloseEvent* event) {
  // Closing the main window ends the program: its other windows go with it.
  for (QObject* child : children()) {
    auto* widget = qobject_cast<QWidget*>(child);
    if (widget != nullptr && widget->isWindow()) widget->close();
  }
  event->accept();
}
