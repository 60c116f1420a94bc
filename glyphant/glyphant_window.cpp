#include "glyphant/glyphant_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QScrollBar>

#include "common/background_job.h"
#include "common/colour_swatch.h"
#include "common/cursor_override.h"
#include "common/drag_window.h"
#include "common/editable_list.h"
#include "common/face_button.h"
#include "common/font_list.h"
#include "common/numbers.h"
#include "common/picture_box.h"
#include "common/picture_filter.h"
#include "common/picture_load_job.h"
#include "common/picture_loader.h"
#include "glyphant/canvas_work.h"
#include "glyphant/pattern_tiling.h"
#include "glyphant/print_preview.h"
#include "glyphant/stretched_image.h"
#include "glyphant/window_style.h"
#include "glyphant/work_folder.h"

namespace {

constexpr int kClientWidth = 1167;
constexpr int kClientHeight = 855;
constexpr ColourRef kWindowColour = colour::rgb(0, 64, 64);
constexpr ColourRef kPanelColour = colour::rgb(124, 188, 245);
constexpr ColourRef kButtonColour = colour::rgb(226, 240, 253);
constexpr ColourRef kCanvasColour = colour::rgb(56, 160, 245);
constexpr ColourRef kMaskColour = colour::rgb(192, 255, 255);
constexpr QRect kCanvasStart(148, 2, 989, 630);
constexpr QRect kPreviewStart(150, 4, 121, 71);
constexpr QPoint kStampStart(760, 470);

// The panel is laid out as rows from the top: a caption or a field across
// the whole panel, or two columns of buttons and fields.
constexpr int kPanelWidth = 145;
constexpr int kLeft = 4;
constexpr int kInner = kPanelWidth - 2 * kLeft;  // 137
constexpr int kColumn = 66;
constexpr int kRight = kLeft + kColumn + 5;  // the second column
constexpr int kCaptionHeight = 18;
constexpr int kFieldHeight = 22;
constexpr int kButtonHeight = 24;

void setBackground(QWidget* widget, ColourRef colour) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour::toQColor(colour));
  widget->setPalette(palette);
  widget->setAutoFillBackground(true);
}

template <typename Widget>
Widget* named(Widget* widget, const char* name, const QRect& geometry) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(geometry);
  return widget;
}

}  // namespace

Form1::Form1(const QString& programFolder, QWidget* parent)
    : QWidget(parent, Qt::Window),
      programFolder_(programFolder.isEmpty() ? QCoreApplication::applicationDirPath()
                                             : programFolder),
      previewZoom_(kPreviewStart.size()) {
  setObjectName("Form1");
  setWindowTitle(QString::fromLatin1(window_style::kCaption));
  resize(kClientWidth, kClientHeight);
  if (const QScreen* screen = this->screen())
    move(screen->availableGeometry().center() - rect().center());
  setBackground(this, kWindowColour);

  buildSurfaces();
  buildPanel();
  connectHandlers();
  pictureLoad_ = new PictureLoadJob(this);
  canvasJob_ = new BackgroundJob(this);

  // Start-up: every second screen font with entry 32 chosen (the first when
  // there are fewer), 364 points, the regular style on both surfaces.
  cbofont->addItems(fonts::everySecondName(SystemFontCatalogue().families()));
  cbofont->setCurrentIndex(fonts::preselectedFontIndex(cbofont->count()));
  cbofont->lineEdit()->setCursorPosition(0);  // the start of a long name
  cbofontsize->addItems(panel_inputs::fontSizeEntries());
  cbofontsize->setCurrentIndex(panel_inputs::kStartFontSizeEntry);
  cbofontstyle->addItems(panel_inputs::fontStyleEntries());
  cbofontstyle->setCurrentIndex(0);
  cbofontstyle_Click(0);
  loadPatternList();
  txtsave->setText(work_folder::defaultSaveName(programFolder_));
}

Form1::~Form1() = default;

void Form1::buildSurfaces() {
  // Made before the canvas, so the canvas lies over it until a zoom hides
  // the canvas.
  Image1 = named(new StretchedImage(this), "Image1", kPreviewStart);

  pic1 = named(new PictureBox(this), "pic1", kCanvasStart);
  pic1->setBorder(PictureBox::Border::None);
  pic1->setScaleMode(PictureBox::ScaleMode::Pixels);
  pic1->setBackColor(kCanvasColour);
  Drawings = CanvasRecord(kCanvasStart.size(), colour::toQColor(kCanvasColour));
  pic1->setOverlayLine(Line1, {{}, window_style::kGuideColour, false});
  pic1->setOverlayLine(Line2, {{}, window_style::kGuideColour, false});

  Picture1 = new PictureBox(pic1);
  Picture1->setObjectName("Picture1");
  Picture1->setScaleMode(PictureBox::ScaleMode::Pixels);
  Picture1->setAutoSize(true);
  // A transparent stamp picture shows this through its clear pixels, which
  // the mask colour as it starts then leaves out when stamping.
  Picture1->setBackColor(kMaskColour);
  Picture1->setPicture(QImage(":/glyphant/stamp.png").convertToFormat(QImage::Format_RGB32));
  Picture1->move(kStampStart);

  // The pattern holder keeps its size when its picture is taken away, so an
  // emptied holder fills with its plain background colour.
  const QImage pattern = QImage(":/glyphant/pattern.jpg").convertToFormat(QImage::Format_RGB32);
  PicRes = named(new PictureBox(this), "PicRes", QRect(QPoint(0, 0), pattern.size()));
  PicRes->setBorder(PictureBox::Border::None);
  PicRes->setScaleMode(PictureBox::ScaleMode::Pixels);
  PicRes->setPicture(pattern);
  PicRes->hide();

  picDst = named(new PictureBox(this), "picDst", kCanvasStart);
  picDst->setBorder(PictureBox::Border::None);
  picDst->setScaleMode(PictureBox::ScaleMode::Pixels);
  picDst->setBackColor(colour::rgb(255, 255, 255));
  picDst->setForeColor(colour::rgb(0, 0, 0));
  picDst->hide();
}

void Form1::buildPanel() {
  Frame1 = named(new QFrame(this), "Frame1", QRect(0, 0, kPanelWidth, kClientHeight));
  Frame1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  setBackground(Frame1, kPanelColour);

  int y = 4;
  int captionCount = 0;
  const auto caption = [&](const QString& text, const QRect& geometry) {
    auto* label = new QLabel(text, Frame1);
    // Captions the window does not name get numbers past the named labels.
    label->setObjectName(QStringLiteral("Label%1").arg(30 + captionCount++));
    label->setGeometry(geometry);
    return label;
  };
  const auto field = [&](const char* name, const QString& text, const QRect& geometry) {
    auto* edit = named(new QLineEdit(text, Frame1), name, geometry);
    return edit;
  };
  const auto button = [&](const char* name, const QString& text, int x) {
    auto* b = named(new FaceButton(text, Frame1), name, QRect(x, y, kColumn, kButtonHeight));
    b->setBackColor(kButtonColour);
    return b;
  };
  const auto combo = [&](const char* name, int x, int width, bool editable) {
    auto* box = named(new QComboBox(Frame1), name, QRect(x, y, width, kFieldHeight));
    // A typed font or size is taken as typed, never completed into an entry.
    if (editable) editable_list::makeEditable(box);
    return box;
  };
  const auto swatch = [&](const char* name, ColourRef colour, const QRect& geometry) {
    auto* s = named(new ColourSwatch(colour, Frame1), name, geometry);
    s->setDialog(&CommonDialog1);
    s->setFrameStyle(QFrame::Box | QFrame::Plain);
    s->setCursor(Qt::PointingHandCursor);
    return s;
  };
  const auto row = [&](int height, int gap = 3) { y += height + gap; };

  // Canvas size.
  caption(tr("图象大小"), QRect(kLeft, y + 3, 60, kCaptionHeight));
  Command5 = button("Command5", tr("确 定"), kRight);
  row(kButtonHeight);
  caption(tr("x"), QRect(kLeft, y + 2, 10, kCaptionHeight));
  Text2 = field("Text2", "1000", QRect(kLeft + 12, y, 52, kFieldHeight));
  caption(tr("y"), QRect(kRight, y + 2, 10, kCaptionHeight));
  Text1 = field("Text1", "1500", QRect(kRight + 12, y, 54, kFieldHeight));
  row(kFieldHeight, 2);
  QLabel* memoryNote = caption(tr("图象大小取决于内存大小"), QRect(kLeft, y, kInner, 16));
  QFont small = memoryNote->font();
  small.setPointSizeF(small.pointSizeF() * 0.9);
  memoryNote->setFont(small);
  row(16, 4);

  // Text and its position.
  caption(tr("文字位置"), QRect(kLeft, y, kInner, kCaptionHeight));
  row(kCaptionHeight, 1);
  caption(tr("x"), QRect(kLeft, y + 2, 10, kCaptionHeight));
  Text3 = field("Text3", "30", QRect(kLeft + 12, y, 52, kFieldHeight));
  caption(tr("y"), QRect(kRight, y + 2, 10, kCaptionHeight));
  Text4 = field("Text4", "30", QRect(kRight + 12, y, 54, kFieldHeight));
  row(kFieldHeight, 4);
  caption(tr("文本内容"), QRect(kLeft, y, kInner, kCaptionHeight));
  row(kCaptionHeight, 1);
  txtMessage = field("txtMessage", tr("大字设计"), QRect(kLeft, y, kInner, kFieldHeight));
  row(kFieldHeight, 4);

  // Font.
  caption(tr("选择字体"), QRect(kLeft, y, kInner, kCaptionHeight));
  row(kCaptionHeight, 1);
  cbofont = combo("cbofont", kLeft, kInner, true);
  row(kFieldHeight);
  caption(tr("字号大小"), QRect(kLeft, y + 2, 54, kCaptionHeight));
  cbofontsize = combo("cbofontsize", kLeft + 56, kInner - 56, true);
  row(kFieldHeight);
  caption(tr("字样宽细"), QRect(kLeft, y + 2, 54, kCaptionHeight));
  cbofontstyle = combo("cbofontstyle", kLeft + 56, kInner - 56, false);
  row(kFieldHeight, 5);

  // Colours.
  Label10 = swatch("Label10", colour::rgb(255, 0, 0), QRect(kLeft, y + 1, 18, 18));
  caption(tr("文字颜色"), QRect(kLeft + 21, y + 1, 48, kCaptionHeight));
  Label22 = swatch("Label22", colour::rgb(255, 255, 255), QRect(kRight, y + 1, 18, 18));
  QLabel* backgroundCaption = caption(tr("背景色"), QRect(kRight + 21, y + 1, 46, kCaptionHeight));
  backgroundCaption->setObjectName("Label24");
  row(20);
  Label26 = swatch("Label26", colour::rgb(55, 3, 114), QRect(kLeft, y + 1, 18, 18));
  caption(tr("阴影色"), QRect(kLeft + 21, y + 1, 48, kCaptionHeight));
  Label7 = swatch("Label7", kMaskColour, QRect(kRight, y, kColumn, 20));
  Label7->setText(tr("选屏蔽色"));
  row(20, 4);
  caption(tr("阴影距离"), QRect(kLeft, y, 54, kCaptionHeight));
  HScroll1 = named(new QScrollBar(Qt::Horizontal, Frame1), "HScroll1",
                   QRect(kLeft + 56, y + 1, kInner - 56, 17));
  HScroll1->setRange(1, 50);
  HScroll1->setSingleStep(1);
  HScroll1->setPageStep(5);
  HScroll1->setValue(ShadowOffset);
  row(kCaptionHeight, 5);

  // Text operations and the history.
  Command1 = button("Command1", tr("图案文字"), kLeft);
  Command4 = button("Command4", tr("无影文字"), kRight);
  row(kButtonHeight);
  Command9 = button("Command9", tr("绘制阴影1"), kLeft);
  Command8 = button("Command8", tr("绘制阴影2"), kRight);
  row(kButtonHeight);
  Command10 = button("Command10", tr("连续绘制1"), kLeft);
  Command3 = button("Command3", tr("连续绘制2"), kRight);
  row(kButtonHeight);
  Command16 = button("Command16", tr("退一步"), kLeft);
  Command17 = button("Command17", tr("进一步"), kRight);
  row(kButtonHeight, 2);
  Label27 = named(new QLabel(tr("可记录10步"), Frame1), "Label27",
                  QRect(kLeft, y, kInner, kCaptionHeight));
  Label27->setAlignment(Qt::AlignCenter);
  row(kCaptionHeight, 4);

  // Fill patterns.
  caption(tr("选择填充图案"), QRect(kLeft, y, kInner, kCaptionHeight));
  row(kCaptionHeight, 1);
  File1 = named(new QListWidget(Frame1), "File1", QRect(kLeft, y, kInner, 80));
  row(80);
  imgpreview = named(new StretchedImage(Frame1), "imgpreview", QRect(kLeft, y, 79, 69));
  imgpreview->setFrameStyle(QFrame::Box | QFrame::Plain);
  imgpreview->setPicture(PicRes->Picture());
  QLabel* folderCaption = caption(tr("图案所在文件夹"), QRect(kLeft + 83, y, kInner - 83, 69));
  folderCaption->setWordWrap(true);
  folderCaption->setToolTip(work_folder::patternFolder(programFolder_));
  File1->setToolTip(folderCaption->toolTip());
  row(69, 4);

  // Preview, canvas and files.
  caption(tr("图象缩放预览"), QRect(kLeft, y, kInner, kCaptionHeight));
  row(kCaptionHeight, 0);
  caption(tr("(可拖拉大图预览)"), QRect(kLeft, y, kInner, 16))->setFont(small);
  row(16, 2);
  Command6 = button("Command6", tr("缩 小"), kLeft);
  Command7 = button("Command7", tr("放 大"), kRight);
  row(kButtonHeight);
  Command14 = button("Command14", tr("显示主图"), kLeft);
  Command13 = button("Command13", tr("背景图"), kRight);
  row(kButtonHeight);
  Command2 = button("Command2", tr("清除图像"), kLeft);
  Command12 = button("Command12", tr("保存图像"), kRight);
  row(kButtonHeight);
  txtsave = field("txtsave", QString(), QRect(kLeft, y, kInner, 20));
  row(20);
  Command15 = button("Command15", tr("打 印"), kLeft);
  Command11 = button("Command11", tr("导入贴图"), kRight);
  row(kButtonHeight);

  // Stamping and the pointer.
  Check2 = named(new QCheckBox(tr("贴图"), Frame1), "Check2", QRect(kLeft, y, 50, 20));
  Check2->setToolTip(tr("拖副图后点主图可贴图"));
  Check1 =
      named(new QCheckBox(tr("显示坐标"), Frame1), "Check1", QRect(kLeft + 52, y, kInner - 52, 20));
  row(20, 2);
  Label5 = named(new QLabel(tr("宽"), Frame1), "Label5", QRect(kLeft, y, kColumn, kCaptionHeight));
  Label6 = named(new QLabel(tr("高"), Frame1), "Label6", QRect(kRight, y, kColumn, kCaptionHeight));
}

void Form1::connectHandlers() {
  connect(Command5, &QPushButton::clicked, this, [this] { Command5_Click(); });
  // Any change of the selection, by the mouse or the keys, loads the pattern
  // (the selection, not the current entry, which focus alone sets). A click
  // on the entry already chosen brings it back after a text colour has
  // emptied the holder; otherwise the holder has that picture already.
  connect(File1, &QListWidget::itemSelectionChanged, this,
          [this] { File1_Click(File1->selectedItems().value(0)); });
  connect(File1, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (PicRes->Picture().isNull()) File1_Click(item);
  });
  connect(HScroll1, &QScrollBar::valueChanged, this,
          [this](int value) { ShadowOffset = std::int16_t(value); });
  connect(cbofontstyle, &QComboBox::activated, this,
          [this](int entry) { cbofontstyle_Click(entry); });

  connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
  connect(Command4, &QPushButton::clicked, this, [this] { Command4_Click(); });
  connect(Command9, &QPushButton::clicked, this, [this] { shadowText(-1, true); });
  connect(Command8, &QPushButton::clicked, this, [this] { shadowText(+1, true); });
  connect(Command10, &QPushButton::clicked, this, [this] { shadowText(-1, false); });
  connect(Command3, &QPushButton::clicked, this, [this] { shadowText(+1, false); });

  connect(Command16, &QPushButton::clicked, this, [this] { Command16_Click(); });
  connect(Command17, &QPushButton::clicked, this, [this] { Command17_Click(); });
  connect(Command6, &QPushButton::clicked, this, [this] {
    ZoomPreview(0.1f);
    pic1->hide();
  });
  connect(Command7, &QPushButton::clicked, this, [this] {
    ZoomPreview(-0.1f);
    pic1->hide();
  });
  connect(Command14, &QPushButton::clicked, pic1, &QWidget::show);
  connect(Command13, &QPushButton::clicked, this, [this] { Command13_Click(); });
  connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
  connect(Command12, &QPushButton::clicked, this, [this] { Command12_Click(); });
  connect(Command15, &QPushButton::clicked, this, [this] {
    printCanvas(this, {pic1->Image(), Drawings});
  });
  connect(Label10, &ColourSwatch::colourChosen, this, [this] { Label10_Chosen(); });

  connect(
      pic1, &PictureBox::mouseDown, this,
      [this](Qt::MouseButton, Qt::KeyboardModifiers, double x, double y) { pic1_MouseDown(x, y); });
  connect(pic1, &PictureBox::mouseMove, this,
          [this](Qt::MouseButtons, Qt::KeyboardModifiers, double x, double y) {
            pic1_MouseMove(x, y);
          });
  connect(Picture1, &PictureBox::mouseDown, this, [this] { DragWindow(Picture1); });
  connect(Check2, &QCheckBox::clicked, Picture1, &QWidget::setVisible);
  connect(Command11, &QPushButton::clicked, this, [this] { Command11_Click(); });
}

void Form1::loadPatternList() {
  File1->addItems(work_folder::patternFiles(work_folder::patternFolder(programFolder_)));
}

void Form1::File1_Click(QListWidgetItem* item) {
  if (item == nullptr) return;
  loadOrReport(work_folder::patternFolder(programFolder_) + item->text(),
               [this](const QImage& pattern) {
                 imgpreview->setPicture(pattern);
                 PicRes->resize(pattern.size());
                 PicRes->setPicture(pattern);
               });
}

void Form1::loadOrReport(const QString& path, const PictureUse& use) {
  // Transparent pixels stay transparent: the box that receives the picture
  // shows its background colour through them.
  pictureLoad_->start(path, [this, path, use](const LoadedPicture& loaded) {
    const auto arrived = [this, path, use, loaded] {
      if (loaded.ok()) return use(loaded.image);
      MsgBox(this, tr("无法打开图片“%1”：\n%2").arg(path, loaded.error),
             QString::fromLatin1(window_style::kCaption), MessageRequest::Icon::Warning);
    };
    // A picture that arrives while a long operation works on the canvas is
    // used after it, as when the operation held the window.
    if (!canvasJob_->busy()) return arrived();
    connect(canvasJob_, &BackgroundJob::ended, this, arrived, Qt::SingleShotConnection);
  });
}

void Form1::choosePicture(const PictureUse& use) {
  // The shared dialog keeps whatever filter it had last, after one of every
  // picture, so that the files it can open are all in view.
  CommonDialog1.Filter = pictureOpenFilter(CommonDialog1.Filter);
  // A cancel, or no name, keeps the picture.
  if (!CommonDialog1.ShowOpen(this) || CommonDialog1.FileName.isEmpty()) return;
  loadOrReport(CommonDialog1.FileName, use);
}

void Form1::Command5_Click() {
  const panel_inputs::CanvasSizeCheck check =
      panel_inputs::checkCanvasSize(Text2->text(), Text1->text());
  QString error = check.error;
  // Both surfaces need a picture of this size: ask for one before either changes.
  const QString noMemory = tr("内存不足，无法建立 %1 × %2 像素的图象。")
                               .arg(check.size.width())
                               .arg(check.size.height());
  if (error.isEmpty() && QImage(check.size, QImage::Format_RGB32).isNull()) error = noMemory;
  if (!error.isEmpty()) {
    MsgBox(this, error, QString::fromLatin1(window_style::kCaption), MessageRequest::Icon::Warning);
    return;
  }
  // Off the window's thread: the canvas's pixels at the new size, and its
  // thumbnail; the window takes them when they are ready.
  BackgroundJob::Task task;
  task.label = tr("正在改变图象大小……");
  task.holdInput = true;
  task.work = [this, noMemory, canvas = pic1->Image(), size = check.size,
               ground = pic1->groundColour(), picture = pic1->Picture()](JobTracking& tracking) {
    canvas_work::Resized resized = canvas_work::resize(canvas, size, ground, picture, tracking);
    return BackgroundJob::Deliver([this, size, noMemory, resized = std::move(resized)]() mutable {
      if (resized.canvas.isNull()) {
        MsgBox(this, noMemory, QString::fromLatin1(window_style::kCaption),
               MessageRequest::Icon::Warning);
        return;
      }
      const cursor_override::BusyScope busy;
      // Taken before the resize, which then finds the image at its size.
      BackgroundJob::release(pic1->adoptImage(std::move(resized.canvas)));
      pic1->resize(size);
      Drawings.resize(size);
      picDst->setGeometry(pic1->geometry());
      showPreview(resized.preview);
    });
  };
  canvasJob_->start(std::move(task));
}

void Form1::showPreview(const QImage& preview) {
  Image1->setPicture(preview);
  previewZoom_.reset(QSizeF(pic1->ScaleWidth(), pic1->ScaleHeight()));
  Image1->resize(previewZoom_.shown());
}

void Form1::IntTitle() {
  const auto whole = [](double v) { return numbers::roundHalfEven32(v); };
  DeviceContext canvas = pic1->hDC();
  DeviceContext pattern = PicRes->hDC();
  tiling::tile(*canvas, whole(pic1->ScaleWidth()), whole(pic1->ScaleHeight()), *pattern,
               whole(PicRes->ScaleWidth()), whole(PicRes->ScaleHeight()));
}

void Form1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The panel always reaches the bottom edge.
  Frame1->resize(Frame1->width(), height());
}
