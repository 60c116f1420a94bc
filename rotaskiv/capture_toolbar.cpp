#include "rotaskiv/capture_toolbar.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLineEdit>
#include <QMouseEvent>
#include <algorithm>

#include "common/cursor_override.h"
#include "common/numbers.h"
#include "rotaskiv/style_constants.h"
#include "rotaskiv/toolbar_icons.h"

namespace {

// Toolbar: 3620 x 390 twips for the first nine buttons, and a cell and a
// separator more for each that follows. Buttons are 20 x 20 hover cells, 25
// apart, with a separator after the tools, after undo/redo/save and after
// copy and exit.
constexpr int kToolbarWidth = 475;
constexpr int kPanelWidth = 241;  // 3620 twips
constexpr int kToolbarHeight = 26;
constexpr int kCell = 20;
constexpr int kCellTop = 3;
// The left edge of each cell, in the toolbar's left-to-right order.
constexpr std::array<int, kToolbarButtonCount> kCellLeft = {
    5, 30, 55, 80, 109, 134, 159, 188, 213, 242, 271, 296, 321, 346, 371, 396, 421, 446};
constexpr int kLine1Left = 104, kLine2Left = 183, kLine3Left = 237, kLine4Left = 266;

// Option panel: 3620 x 560 twips.
constexpr int kPanelHeight = 37;
constexpr QRect kFontGroup(4, 8, 73, 25);
constexpr int kColourGroupLeft = 79;  // 1180 twips
constexpr int kColourGroupTop = 4;
constexpr int kCurrentSwatch = 28;
constexpr int kSwatch = 13;                        // 200 twips
constexpr int kSwatchLeft = 32, kSwatchStep = 16;  // 480 and 240 twips
constexpr int kSwatchRowTop[2] = {0, 15};          // 0 and 220 twips

// Each tool's size to start with and the sizes its list offers: points for
// text, device pixels for the rest (a line's width, a marker's half
// diameter, a mosaic block's side, how far the blur reaches).
struct ToolSizes {
  ToolbarButton tool;
  double start;
  QStringList list;
};
const std::array<ToolSizes, 7> kToolSizes = {{
    {ToolbarButton::Text, 11, {"6", "8", "9", "10", "11", "12", "14", "18", "20"}},
    {ToolbarButton::Pen, 3, {"1", "2", "3", "4", "6", "8", "12", "16"}},
    {ToolbarButton::Highlighter, 16, {"8", "12", "16", "20", "24", "32", "48"}},
    {ToolbarButton::Line, 3, {"1", "2", "3", "4", "6", "8", "12", "16"}},
    {ToolbarButton::Marker, 11, {"8", "9", "10", "11", "12", "14", "18", "24"}},
    {ToolbarButton::Pixelate, 10, {"4", "6", "8", "10", "12", "16", "20", "32"}},
    {ToolbarButton::Blur, 10, {"4", "6", "8", "10", "12", "16", "20", "32"}},
}};

const ToolSizes& sizesOf(ToolbarButton tool) {
  for (const ToolSizes& sizes : kToolSizes)
    if (sizes.tool == tool) return sizes;
  return kToolSizes[0];
}
constexpr ColourRef kStartColour = colour::rgb(255, 0, 0);

constexpr std::array<ColourRef, 16> kPalette = {
    colour::rgb(0, 0, 0),       colour::rgb(128, 128, 128), colour::rgb(192, 0, 0),
    colour::rgb(192, 192, 0),   colour::rgb(0, 128, 0),     colour::rgb(0, 0, 128),
    colour::rgb(128, 0, 128),   colour::rgb(0, 128, 128),   colour::rgb(255, 255, 255),
    colour::rgb(192, 192, 192), colour::rgb(255, 0, 0),     colour::rgb(255, 255, 0),
    colour::rgb(0, 255, 0),     colour::rgb(0, 0, 255),     colour::rgb(255, 0, 255),
    colour::rgb(0, 255, 255)};

QFrame* separator(QWidget* parent, const char* name, int left) {
  auto* line = new QFrame(parent);
  line->setObjectName(name);
  line->setFrameShape(QFrame::VLine);
  line->setFrameShadow(QFrame::Sunken);
  line->setGeometry(left, 4, 2, kToolbarHeight - 8);
  return line;
}

}  // namespace

CaptureToolbar::CaptureToolbar(QWidget* parent) : Strip(parent) {
  setObjectName("Picture1");
  setFixedSize(kToolbarWidth, kToolbarHeight);
  for (int position = 0; position < kToolbarButtonCount; ++position) {
    const ToolbarButton button = kToolbarOrder[position];
    const int i = buttonIndex(button);
    const QRect cell(kCellLeft[position], kCellTop, kCell, kCell);
    Shape3[i] = new ColourBox(style_constants::kHoverFill, this);
    Shape3[i]->setObjectName(QStringLiteral("Shape3(%1)").arg(i));
    Shape3[i]->setBorderColour(style_constants::kHoverBorder);
    Shape3[i]->setGeometry(cell);
    Shape3[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
    Shape3[i]->hide();
    Image2[i] = new PictureButton(this);
    Image2[i]->setObjectName(QStringLiteral("Image2(%1)").arg(i));
    Image2[i]->setGeometry(cell);
    Image2[i]->setToolTip(tooltip(button));
    connect(Image2[i], &PictureButton::hovered, this, [this, i] {
      showHoverFrame(i);
      cursor_override::set(Qt::ArrowCursor);
    });
    connect(Image2[i], &PictureButton::clicked, this,
            [this, button] { emit buttonClicked(button); });
  }
  Line1 = separator(this, "Line1", kLine1Left);
  Line2 = separator(this, "Line2", kLine2Left);
  Line3 = separator(this, "Line3", kLine3Left);
  Line4 = separator(this, "Line4", kLine4Left);
  drawIcons();
}

void CaptureToolbar::drawIcons() {
  const qreal dpr = devicePixelRatioF();
  for (const ToolbarButton button : kToolbarOrder)
    Image2[buttonIndex(button)]->setPixmap(toolbarIcon(button, dpr));
}

QString CaptureToolbar::tooltip(ToolbarButton button) {
  switch (button) {
    case ToolbarButton::Undo:
      return tr("撤销");
    case ToolbarButton::CopyAndExit:
      return tr("复制退出");
    case ToolbarButton::Save:
      return tr("保存");
    case ToolbarButton::ExitCapture:
      return tr("退出截屏");
    case ToolbarButton::Arrow:
      return tr("添加箭头");
    case ToolbarButton::Text:
      return tr("添加文字");
    case ToolbarButton::Ellipse:
      return tr("添加椎圆");
    case ToolbarButton::Rectangle:
      return tr("添加矩形");
    case ToolbarButton::Redo:
      return tr("重做");
    case ToolbarButton::Pin:
      return tr("钉在桌面");
    case ToolbarButton::Select:
      return tr("选择标注");
    case ToolbarButton::Pen:
      return tr("画笔");
    case ToolbarButton::Highlighter:
      return tr("荧光笔");
    case ToolbarButton::Line:
      return tr("添加直线");
    case ToolbarButton::Marker:
      return tr("添加序号");
    case ToolbarButton::Pixelate:
      return tr("马赛克");
    case ToolbarButton::Blur:
      return tr("模糊");
    case ToolbarButton::PickColour:
      return tr("取色");
  }
  return QString();
}

void CaptureToolbar::showHoverFrame(int index) {
  for (int i = 0; i < kToolbarButtonCount; ++i) Shape3[i]->setVisible(i == index);
}

void CaptureToolbar::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  showHoverFrame(-1);
  cursor_override::set(Qt::ArrowCursor);
}

ToolOptionPanel::ToolOptionPanel(QWidget* parent) : Strip(parent) {
  setObjectName("Picture2");
  resize(kPanelWidth, kPanelHeight);

  PicFont = new QWidget(this);
  PicFont->setObjectName("PicFont");
  PicFont->setGeometry(kFontGroup);
  PicFont->setMouseTracking(true);
  PicFont->installEventFilter(this);
  Combo1 = new QComboBox(PicFont);
  Combo1->setObjectName("Combo1");
  Combo1->setGeometry(0, 2, kFontGroup.width(), 21);
  Text1 = new QLineEdit("11", PicFont);
  Text1->setObjectName("Text1");
  Text1->setGeometry(0, 2, kFontGroup.width() - 17, 21);
  PicCombox = new PictureButton(PicFont);
  PicCombox->setObjectName("PicCombox");
  PicCombox->setGeometry(kFontGroup.width() - 17, 2, 17, 21);
  setComboLook(0);
  connect(PicCombox, &PictureButton::hovered, this, [this] { setComboLook(1); });
  connect(PicCombox, &PictureButton::pressed, this, [this] {
    setComboLook(2);
    OpenCombo();
  });
  connect(Combo1, &QComboBox::activated, this, [this](int index) {
    Text1->setText(Combo1->itemText(index));
    emit sizeChosen(toolSize());
  });
  // Not at every key: "1" on the way to "16" is no size the user chose.
  connect(Text1, &QLineEdit::editingFinished, this, [this] {
    if (Text1->isModified()) emit sizeChosen(toolSize());
    Text1->setModified(false);
  });

  PicColor = new QWidget(this);
  PicColor->setObjectName("PicColor");
  PicColor->setMouseTracking(true);
  PicColor->installEventFilter(this);
  PicColor->setGeometry(kColourGroupLeft, kColourGroupTop, kSwatchLeft + 7 * kSwatchStep + kSwatch,
                        kCurrentSwatch);
  for (int i = 0; i <= 16; ++i) {
    const bool current = i == 16;
    Pcolor[i] = new ColourBox(current ? kStartColour : kPalette[i], PicColor);
    Pcolor[i]->setObjectName(QStringLiteral("Pcolor(%1)").arg(i));
    if (current)
      Pcolor[i]->setGeometry(0, 0, kCurrentSwatch, kCurrentSwatch);
    else
      Pcolor[i]->setGeometry(kSwatchLeft + (i % 8) * kSwatchStep, kSwatchRowTop[i / 8], kSwatch,
                             kSwatch);
    connect(Pcolor[i], &ColourBox::hovered, this, [this, i, current] {
      cursor_override::set(Qt::ArrowCursor);
      if (current)
        clearSwatchBorders();
      else
        Pcolor[i]->setBorderColour(style_constants::kHoverBorder);
    });
    connect(Pcolor[i], &ColourBox::released, this, [this, i] {
      Pcolor[16]->setBackColor(Pcolor[i]->BackColor());
      // The current colour itself changes nothing.
      if (i < 16) emit colourChosen(colour::toQColor(Pcolor[i]->BackColor()));
    });
  }
  Combo1->addItems(sizesOf(ToolbarButton::Text).list);
  Text1->setText(QString::number(sizesOf(ToolbarButton::Text).start));
  Combo1->setCurrentText(Text1->text());
  arrangeFor(ToolbarButton::Text);
}

bool ToolOptionPanel::hasSize(ToolbarButton tool) {
  return std::any_of(kToolSizes.begin(), kToolSizes.end(),
                     [tool](const ToolSizes& sizes) { return sizes.tool == tool; });
}

void ToolOptionPanel::arrangeFor(ToolbarButton tool) {
  const bool sized = hasSize(tool);
  PicFont->setVisible(sized);
  PicColor->move(sized ? kColourGroupLeft : kFontGroup.left(), kColourGroupTop);
  resize(sized ? kPanelWidth : kPanelWidth - kFontGroup.width() - 2, kPanelHeight);
  if (!sized || tool == tool_) return;
  sizes_[tool_] = Text1->text();
  tool_ = tool;
  const ToolSizes& sizes = sizesOf(tool);
  Combo1->clear();
  Combo1->addItems(sizes.list);
  const auto kept = sizes_.find(tool);
  Text1->setText(kept != sizes_.end() ? kept->second : QString::number(sizes.start));
  Combo1->setCurrentText(Text1->text());
}

ColourRef ToolOptionPanel::currentColour() const { return Pcolor[16]->BackColor(); }

void ToolOptionPanel::setCurrentColour(ColourRef colour) { Pcolor[16]->setBackColor(colour); }

double ToolOptionPanel::toolSize() {
  const double size = numbers::leadingNumber(Text1->text());
  if (size >= 1 && size <= 500) return size;
  const double start = sizesOf(tool_).start;
  Text1->setText(QString::number(start));
  return start;
}

double ToolOptionPanel::sizeOf(ToolbarButton tool) {
  if (tool == tool_) return toolSize();
  const auto kept = sizes_.find(tool);
  const double size = kept != sizes_.end() ? numbers::leadingNumber(kept->second) : 0;
  return size >= 1 && size <= 500 ? size : sizesOf(tool).start;
}

void ToolOptionPanel::OpenCombo() {
  const bool dropped = Combo1->view() != nullptr && Combo1->view()->window()->isVisible();
  if (dropped)
    Combo1->hidePopup();
  else
    Combo1->showPopup();
}

void ToolOptionPanel::setComboLook(int look) {
  PicCombox->setPixmap(comboButtonPicture(look, PicCombox->size(), devicePixelRatioF()));
}

void ToolOptionPanel::clearSwatchBorders() {
  for (int i = 0; i < 16; ++i) Pcolor[i]->setBorderColour(std::nullopt);
}

void ToolOptionPanel::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  cursor_override::set(Qt::ArrowCursor);
}

bool ToolOptionPanel::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove) {
    cursor_override::set(Qt::ArrowCursor);
    if (watched == PicColor) clearSwatchBorders();
    if (watched == PicFont) setComboLook(0);
  }
  return QWidget::eventFilter(watched, event);
}
