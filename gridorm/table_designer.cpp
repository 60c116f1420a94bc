#include "gridorm/table_designer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>

#include "common/colour_swatch.h"
#include "common/editable_list.h"
#include "common/font_list.h"
#include "common/numbers.h"
#include "common/picture_box.h"
#include "common/picture_load_job.h"
#include "gridorm/cell_editor.h"
#include "gridorm/designer_layout.h"
#include "gridorm/image_control.h"
#include "gridorm/line_batch.h"
#include "gridorm/skin/skinner.h"

namespace {

using designer_layout::pixels;

constexpr ColourRef kWindowColour = 0x00404000;
constexpr ColourRef kPanelColour = 0x00F5BC7C;
constexpr ColourRef kLineColour = 0x008130B1;
constexpr ColourRef kTextColour = 0x00FF0000;
constexpr ColourRef kHatchColour = 0x00C00000;
constexpr ColourRef kVerticalGuideColour = 0x000000FF;
constexpr ColourRef kHorizontalGuideColour = 0x00FF0000;
constexpr int kVerticalGuide = 0, kHorizontalGuide = 1;  // Line1, Line2
// Twips: the top panel, the canvas as designed, the corner button, the
// texture preview and the temp-store panel.
constexpr QRect kTopPanel(0, 0, 14265, 1485);
constexpr QRect kCanvas(0, 1500, 14265, 7065);
constexpr QSize kCornerButton(315, 315);
constexpr QRect kPreview(11160, 450, 2850, 1920);
constexpr QRect kStorePanel(0, 1500, 3435, 7425);
// The window opens showing the panel, the canvas and the bars whole.
constexpr QSize kOpeningClient(14640, 9360);
constexpr int kPanStep = 20, kPanPage = 1500, kBarMaximum = 32767;

void setBackground(QWidget* widget, ColourRef colour) {
  widget->setAutoFillBackground(true);
  QPalette palette = widget->palette();
  palette.setColor(QPalette::Window, colour::toQColor(colour));
  widget->setPalette(palette);
}

// Places a control of the top panel, sized in pixels.
template <typename Control>
Control* place(Control* control, const QString& name, int x, int y, int w, int h = 21) {
  control->setObjectName(name);
  control->setGeometry(x, y, w, h);
  return control;
}

QScrollBar* panningBar(Qt::Orientation orientation, const QString& name, QWidget* parent) {
  auto* bar = new QScrollBar(orientation, parent);
  bar->setObjectName(name);
  bar->setRange(1, kBarMaximum);
  bar->setSingleStep(kPanStep);
  bar->setPageStep(kPanPage);
  return bar;
}

}  // namespace

Form1::Form1(const FontCatalogue* fonts, QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("Form1");
  setWindowTitle(QStringLiteral("Gridorm2.0"));
  setBackground(this, kWindowColour);
  resize(kOpeningClient.width() / numbers::kTwipsPerPixel,
         kOpeningClient.height() / numbers::kTwipsPerPixel);
  // Made from the bottom up: the canvas, the top panel, then the corner
  // button and the panning bars, which lie over both (the right-hand bar
  // runs down the whole window, past the panel).
  buildCanvas();
  buildTopPanel();
  buildPanningBars();
  buildTextControls();
  buildStorePanel();
  connectHandlers();
  textureLoad_ = new PictureLoadJob(this);
  const SystemFontCatalogue systemFonts;
  Form_Load(fonts != nullptr ? *fonts : systemFonts);
}

Form1::~Form1() = default;

void Form1::buildCanvas() {
  Picture1 = new PictureBox(this);
  Picture1->setObjectName("Picture1");
  Picture1->setGeometry(pixels(kCanvas));
  Picture1->setBackColor(colour::rgb(255, 255, 255));
  Picture1->setScaleMode(PictureBox::ScaleMode::Twips);
  Picture1->setOverlayLine(kVerticalGuide, {{}, kVerticalGuideColour, false});
  Picture1->setOverlayLine(kHorizontalGuide, {{}, kHorizontalGuideColour, false});

  Text7 = new CellEditor(Picture1);
  Text7->setObjectName("Text7");
  // The canvas's font is the text's, and a child takes its parent's font in
  // every attribute it does not set itself: the editor sets them all, so it
  // keeps the captions' font whatever the text is written in.
  QFont editorFont = font();
  editorFont.setResolveMask(QFont::AllPropertiesResolved);
  Text7->setFont(editorFont);
  Text7->setBox({70, 70, 1920, 520});
}

void Form1::buildPanningBars() {
  Command1 = new QPushButton(this);
  Command1->setObjectName("Command1");
  Command1->resize(pixels(kCornerButton.width()), pixels(kCornerButton.height()));
  HScroll = panningBar(Qt::Horizontal, "HScroll", this);
  VScroll = panningBar(Qt::Vertical, "VScroll", this);
}

void Form1::buildTopPanel() {
  Frame1 = new QFrame(this);
  Frame1->setObjectName("Frame1");
  Frame1->setGeometry(pixels(kTopPanel));
  Frame1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  setBackground(Frame1, kPanelColour);

  // Captions take the label numbers that no label with a part of its own has.
  const auto caption = [this](int number, const QString& text, int x, int y, int w) {
    place(new QLabel(text, Frame1), QStringLiteral("Label%1").arg(number), x, y, w);
  };
  const auto field = [&](const QString& name, int labelNumber, const QString& labelText,
                         const QString& text, int x, int labelWidth, int fieldWidth) {
    caption(labelNumber, labelText, x, 3, labelWidth);
    return place(new QLineEdit(text, Frame1), name, x + labelWidth, 3, fieldWidth);
  };
  Text1 = field("Text1", 2, tr("左上角x"), "10", 6, 48, 56);
  Text2 = field("Text2", 3, tr("左上角y"), "10", 116, 48, 56);
  Text5 = field("Text5", 5, tr("表格宽"), "10000", 226, 40, 56);
  Text4 = field("Text4", 6, tr("表格高"), "6000", 328, 40, 56);
  Text3 = field("Text3", 7, tr("列数"), "5", 430, 28, 44);
  Text6 = field("Text6", 8, tr("行数"), "10", 508, 28, 44);
  caption(11, tr("表格线宽"), 586, 3, 52);
  Combo1 = place(new QComboBox(Frame1), "Combo1", 638, 3, 48);
  editable_list::makeEditable(Combo1);
  Label1 = place(new ColourSwatch(kLineColour, Frame1), "Label1", 692, 3, 60);
  Label1->setText(tr("表格颜色"));
  Command2 = place(new QPushButton(tr("绘制表格"), Frame1), "Command2", 760, 2, 88, 23);
  Command3 = place(new QPushButton(tr("清除表格"), Frame1), "Command3", 852, 2, 88, 23);

  caption(12, tr("图片宽"), 6, 75, 40);
  HScroll1 = place(new QScrollBar(Qt::Horizontal, Frame1), "HScroll1", 46, 77, 150, 17);
  Label22 = place(new QLabel(Frame1), "Label22", 200, 75, 40);
  caption(13, tr("线"), 240, 75, 16);
  caption(14, tr("图片高"), 262, 75, 40);
  HScroll2 = place(new QScrollBar(Qt::Horizontal, Frame1), "HScroll2", 302, 77, 150, 17);
  Label23 = place(new QLabel(Frame1), "Label23", 456, 75, 40);
  caption(15, tr("线"), 496, 75, 16);
  for (QScrollBar* bar : {HScroll1, HScroll2}) {
    bar->setRange(10, kBarMaximum);
    bar->setSingleStep(numbers::kTwipsPerPixel);
    bar->setPageStep(kPanPage);
  }
  Check1 = place(new QCheckBox(tr("显示坐标"), Frame1), "Check1", 530, 75, 80);
  Label9 = place(new QLabel(tr("x"), Frame1), "Label9", 614, 75, 64);
  Label10 = place(new QLabel(tr("y"), Frame1), "Label10", 680, 75, 64);

  Command12 = place(new QPushButton(tr("暂存图"), Frame1), "Command12", 536, 50, 64, 23);
  Command11 = place(new QPushButton(tr("背景色"), Frame1), "Command11", 604, 50, 64, 23);
  Command4 = place(new QPushButton(tr("保存表格"), Frame1), "Command4", 672, 50, 68, 23);
}

void Form1::buildTextControls() {
  const auto caption = [this](const QString& name, const QString& text, int x, int y, int w) {
    place(new QLabel(text, Frame1), name, x, y, w);
  };
  caption("Label16", tr("字体"), 6, 27, 28);
  cbofont = place(new QComboBox(Frame1), "cbofont", 34, 27, 150);
  caption("Label17", tr("大小"), 190, 27, 28);
  cbofontsize = place(new QComboBox(Frame1), "cbofontsize", 218, 27, 52);
  editable_list::makeEditable(cbofontsize);
  caption("Label18", tr("粗细"), 276, 27, 28);
  cbofontstyle = place(new QComboBox(Frame1), "cbofontstyle", 304, 27, 90);
  Label4 = place(new ColourSwatch(kTextColour, Frame1), "Label4", 400, 27, 60);
  Label4->setText(tr("字体颜色"));
  Command9 = place(new QPushButton(tr("填入文本"), Frame1), "Command9", 466, 26, 76, 23);
  // The arrows in reading order of the directions: left, up, down, right.
  Command7 = place(new QPushButton(tr("左"), Frame1), "Command7", 548, 26, 30, 23);
  Command8 = place(new QPushButton(tr("上"), Frame1), "Command8", 580, 26, 30, 23);
  Command6 = place(new QPushButton(tr("下"), Frame1), "Command6", 612, 26, 30, 23);
  Command5 = place(new QPushButton(tr("右"), Frame1), "Command5", 644, 26, 30, 23);

  Option1[0] = place(new QRadioButton(tr("贴图"), Frame1), "Option1(0)", 6, 51, 52);
  Option1[1] = place(new QRadioButton(tr("粘贴文本"), Frame1), "Option1(1)", 60, 51, 78);
  Option4 = place(new QRadioButton(tr("关闭贴图文本"), Frame1), "Option4", 140, 51, 104);
  Command10 = place(new QPushButton(tr("导入贴图"), Frame1), "Command10", 248, 50, 76, 23);
  Label24 = place(new ColourSwatch(colour::kCaptionText, Frame1), "Label24", 330, 51, 60);
  Label24->setText(tr("选屏蔽色"));
  for (ColourSwatch* swatch : {Label1, Label4, Label24}) swatch->setDialog(&CommonDialog1);

  Picture2 = new PictureBox(this);
  Picture2->setObjectName("Picture2");
  Picture2->setGeometry(pixels(kPreview));
  Picture2->setScaleMode(PictureBox::ScaleMode::Pixels);
  Picture2->setPicture(QImage(":/assets/gridorm/texture.png"));
  Picture2->hide();
}

void Form1::buildStorePanel() {
  Frame2 = new QGroupBox(tr("暂存图(点下图存主图点按钮恢复主图)"), this);
  Frame2->setObjectName("Frame2");
  Frame2->setGeometry(pixels(kStorePanel));
  setBackground(Frame2, kPanelColour);
  for (int k = 0; k < SnapshotRing::kSlots; ++k) {
    const QPoint slot(k < 6 ? 90 : 1740, 300 + 1110 * (k % 6));
    Image1[k] = new ImageControl(Frame2);
    Image1[k]->setObjectName(QStringLiteral("Image1(%1)").arg(k));
    Image1[k]->setGeometry(pixels(QRect(slot, QSize(1665, 1095))));
    Image1[k]->setFrameStyle(QFrame::Box | QFrame::Plain);
  }
  for (int k = 0; k < SnapshotRing::kSlots; ++k) {
    const QPoint slot(k < 6 ? 90 : 1740, 300 + 1110 * (k % 6));
    // Slot 0 has always been captioned with a letter l rather than a 1.
    Command13[k] = new QPushButton(k == 0 ? QStringLiteral("l") : QString::number(k + 1), Frame2);
    Command13[k]->setObjectName(QStringLiteral("Command13(%1)").arg(k));
    Command13[k]->setGeometry(pixels(QRect(slot + QPoint(390, 780), QSize(885, 285))));
  }
  Command14 = new QPushButton(tr("关 闭"), Frame2);
  Command14->setObjectName("Command14");
  Command14->setGeometry(pixels(QRect(90, 7000, 3315, 345)));
  Frame2->hide();
}

void Form1::connectHandlers() {
  const auto onClick = [this](QPushButton* button, void (Form1::*handler)()) {
    connect(button, &QPushButton::clicked, this, handler);
  };
  onClick(Command1, &Form1::Command1_Click);
  onClick(Command2, &Form1::Command2_Click);
  onClick(Command3, &Form1::Command3_Click);
  onClick(Command4, &Form1::Command4_Click);
  onClick(Command5, &Form1::Command5_Click);
  onClick(Command6, &Form1::Command6_Click);
  onClick(Command7, &Form1::Command7_Click);
  onClick(Command8, &Form1::Command8_Click);
  onClick(Command9, &Form1::Command9_Click);
  onClick(Command10, &Form1::Command10_Click);
  onClick(Command11, &Form1::Command11_Click);
  onClick(Command12, &Form1::Command12_Click);
  connect(Command14, &QPushButton::clicked, Frame2, &QWidget::hide);
  for (int k = 0; k < SnapshotRing::kSlots; ++k) {
    connect(Image1[k], &ImageControl::clicked, this, [this, k] { Image1_Click(k); });
    connect(Command13[k], &QPushButton::clicked, this, [this, k] { Command13_Click(k); });
  }
  connect(HScroll, &QScrollBar::valueChanged, this, &Form1::AlignScrollBars);
  connect(VScroll, &QScrollBar::valueChanged, this, &Form1::AlignScrollBars);
  connect(HScroll1, &QScrollBar::valueChanged, this, &Form1::HScroll1_Change);
  connect(HScroll2, &QScrollBar::valueChanged, this, &Form1::HScroll2_Change);
  connect(cbofontstyle, &QComboBox::currentIndexChanged, this, &Form1::cbofontstyle_Click);
  for (QRadioButton* option : {Option1[0], Option1[1], Option4})
    connect(option, &QRadioButton::clicked, this, &Form1::pasteMode_Click);
  connect(Label4, &ColourSwatch::colourChanged, Picture1, &PictureBox::setForeColor);
  connect(Picture1, &PictureBox::mouseMove, this,
          [this](Qt::MouseButtons, Qt::KeyboardModifiers, double x, double y) {
            Picture1_MouseMove(x, y);
          });
  connect(Picture1, &PictureBox::mouseDown, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, double x, double y) {
            Picture1_MouseDown(x, y);
          });
  connect(Picture2, &PictureBox::mouseDown, this,
          [this](Qt::MouseButton, Qt::KeyboardModifiers, double x, double y) {
            Picture2_MouseDown(x, y);
          });
}

void Form1::Form_Load(const FontCatalogue& fonts) {
  // The skin engine attaches here, before anything else, once; from then on
  // it reaches every control and dialog of the window by itself.
  SkinWindow(this);

  cbofont->addItems(fonts::everySecondName(fonts.families()));
  for (int size = 8; size <= 72; size += 4) cbofontsize->addItem(QString::number(size));
  cbofontstyle->addItems({tr("Normal"), tr("Bold"), tr("Italic"), tr("Underline")});
  cbofont->setCurrentIndex(fonts::preselectedFontIndex(cbofont->count()));
  cbofontsize->setCurrentIndex(3);
  cbofontstyle->setCurrentIndex(1);  // applies at once

  for (int width = 1; width <= 12; ++width) Combo1->addItem(QString::number(width));
  Combo1->setCurrentIndex(1);

  HScroll1->setValue(kCanvas.width());
  HScroll2->setValue(kCanvas.height());
}

QSize Form1::clientTwips() const { return size() * numbers::kTwipsPerPixel; }

table::Fields Form1::fields() const {
  return {Text1->text(), Text2->text(), Text5->text(), Text4->text(), Text3->text(), Text6->text()};
}

void Form1::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  Form_Paint();
}

void Form1::Form_Paint() {
  const auto at = designer_layout::placeOnPaint(clientTwips(), kCornerButton, kStorePanel.width());
  Frame1->resize(pixels(at.topPanelWidth), Frame1->height());
  Command1->move(pixels(at.cornerButton.x()), pixels(at.cornerButton.y()));
  Frame2->move(pixels(at.storePanelLeft), Frame2->y());
}

void Form1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  AlignScrollBars();
}

void Form1::AlignScrollBars() {
  const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, HScroll);
  const auto bars = designer_layout::alignScrollBars(
      clientTwips(), extent * numbers::kTwipsPerPixel, HScroll->value(), VScroll->value());
  HScroll->setGeometry(pixels(bars.horizontal));
  VScroll->setGeometry(pixels(bars.vertical));
  Picture1->move(pixels(bars.canvas.x()), pixels(bars.canvas.y()));
  UpdateDisplay();
}

void Form1::UpdateDisplay() {
  // The canvas always keeps its drawing in its persistent image; showing
  // it is all that is left to do.
  Picture1->Refresh();
}

void Form1::Command2_Click() {
  Picture1->setScaleMode(PictureBox::ScaleMode::Twips);
  // A width that is not a whole number of pixels from 1 up keeps the last one.
  if (const auto width = table::integer(Combo1->currentText()); width && *width >= 1)
    Picture1->setDrawWidth(*width);
  const table::Fields table = fields();
  const ColourRef colour = Label1->BackColor();
  for (const QLineF& rule : table::verticalRules(table) + table::horizontalRules(table))
    Picture1->Line(rule.x1(), rule.y1(), rule.x2(), rule.y2(), colour);

  const table::Placement cell = table::firstCell(table);
  table::EditorBox box = Text7->box();
  if (cell.top) box.top = static_cast<float>(*cell.top);
  if (cell.left) box.left = static_cast<float>(*cell.left);
  if (cell.width) box.width = static_cast<float>(*cell.width);
  if (cell.height) box.height = static_cast<float>(*cell.height);
  Text7->setBox(box);

  showSnapshot(snapshots_.fileDrawing(Picture1->Image()));
}

void Form1::Command1_Click() {
  // Thousands of lines: drawn in one pass through the canvas's device
  // context, their ends placed on pixels as the canvas places a Line's.
  QList<QLineF> lines = table::hatchLines(fields());
  for (QLineF& line : lines)
    line = QLineF(pixels(line.x1()), pixels(line.y1()), pixels(line.x2()), pixels(line.y2()));
  DeviceContext canvas = Picture1->hDC();
  strokeLines(*canvas, lines, Picture1->DrawWidth(), kHatchColour);
}

void Form1::Command5_Click() { Text7->setBox(table::moveRight(Text7->box(), fields())); }
void Form1::Command6_Click() { Text7->setBox(table::moveDown(Text7->box(), fields())); }
void Form1::Command7_Click() { Text7->setBox(table::moveLeft(Text7->box(), fields())); }
void Form1::Command8_Click() { Text7->setBox(table::moveUp(Text7->box(), fields())); }

void Form1::Picture1_MouseMove(double x, double y) {
  Label9->setText(tr("宽x=") + QString::number(numbers::roundHalfEven(x)));
  Label10->setText(tr("高y=") + QString::number(numbers::roundHalfEven(y)));
  const bool shown = Check1->isChecked();
  const double width = Picture1->width() * numbers::kTwipsPerPixel;
  const double height = Picture1->height() * numbers::kTwipsPerPixel;
  Picture1->setOverlayLine(kVerticalGuide, {QLineF(x, 0, x, height), kVerticalGuideColour, shown});
  Picture1->setOverlayLine(kHorizontalGuide,
                           {QLineF(0, y, width, y), kHorizontalGuideColour, shown});
}
