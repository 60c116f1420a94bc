#include "gridorm/skin/control_painters.h"

#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "common/numbers.h"
#include "gridorm/skin/skin_bitmaps.h"
#include "gridorm/skin/skin_drawing.h"

namespace skin {

namespace {

void copyCell(Surface& dst, QPoint at, const QImage& skin, Cell cell) {
  TransparentCopy(dst, at.x(), at.y(), cell.width, cell.height, ReadingSurface(skin), cell.x,
                  cell.y, kKey);
}

constexpr Margins kStretchWhole{0, 0, 0, 0};

}  // namespace

int half(int length) { return numbers::roundHalfEven32(length / 2.0); }

QImage ButtonStateImage(const SkinBitmaps& skin, const ButtonLook& look, int state) {
  QImage image = MemorySurface(look.size);
  if (image.isNull()) return image;
  Surface s = surface::of(image);
  const int w = look.size.width(), h = look.size.height();
  DrawSkinPart(s, 0, 0, w, h, ReadingSurface(skin.ButtonSkin), buttonCell(state), kButtonMargins);
  const ColourRef text = state == kDisabled ? kCaptionDisabled : kCaption;
  const int inset = kButtonCaptionInset;
  QRect caption(inset, inset, w - 2 * inset, h - 2 * inset);
  if (!look.icon.isNull() && !look.iconSize.isEmpty()) {
    // The icon and the caption are centred together, the icon first.
    const QPixmap icon =
        look.icon.pixmap(look.iconSize, state == kDisabled ? QIcon::Disabled : QIcon::Normal);
    const QSize iconSize = icon.deviceIndependentSize().toSize();
    // The caption's box is its width rounded up: a box of the width rounded
    // down would make the caption elide ("Op…") with room to spare.
    const QFontMetricsF metrics(look.font, &image);
    const int room = std::max(0, caption.width() - iconSize.width() - kButtonIconGap);
    const QString shown = QString(look.text).remove(QRegularExpression("&(?!&)"));
    const int textWidth =
        shown.isEmpty()
            ? 0
            : std::min(room, static_cast<int>(std::ceil(metrics.horizontalAdvance(shown))));
    const int gap = textWidth > 0 ? kButtonIconGap : 0;
    const int left = caption.left() + (caption.width() - iconSize.width() - gap - textWidth) / 2;
    QPainter painter(&image);
    painter.drawPixmap(left, caption.top() + (caption.height() - iconSize.height()) / 2, icon);
    painter.end();
    caption = QRect(left + iconSize.width() + gap, caption.top(), textWidth, caption.height());
  }
  DrawCaption(image, look.text, caption.x(), caption.y(), caption.width(), caption.height(),
              look.font, text);
  if (look.focus) FocusRect(s, inset, inset, w - 2 * inset, h - 2 * inset, kCaption);
  return image;
}

QImage CheckBoxImage(const SkinBitmaps& skin, QSize box, int state, CheckMark mark, bool enabled) {
  QImage image = MemorySurface(box);
  if (image.isNull()) return image;
  Surface s = surface::of(image);
  const int cx = box.width(), cy = box.height();
  if (enabled) {
    FrameRect(s, 0, 0, cx, cy, state == kPressed ? kCheckFramePressed : kFrameEnabled);
    if (state == kHot || state == kPressed)
      DrawSkinPart(s, kFrameWidth, kFrameWidth, cx - 2 * kFrameWidth, cy - 2 * kFrameWidth,
                   ReadingSurface(skin.BoxSkin),
                   state == kHot ? kCheckHotStrip : kCheckPressedStrip, kStretchWhole);
  } else {
    FrameRect(s, 0, 0, cx, cy, kFrameDisabled);
  }
  if (mark == CheckMark::Checked) {
    const Cell cell = enabled ? kCheckEnabled : kCheckDisabled;
    copyCell(s, {half(cx - cell.width), half(cy - cell.height)}, skin.MarkSkin, cell);
  } else if (mark == CheckMark::Indeterminate) {
    const Cell cell = enabled ? kSquareEnabled : kSquareDisabled;
    copyCell(s, {half(cx - cell.width), half(cy - cell.height)}, skin.MarkSkin, cell);
  }
  return image;
}

QImage OptionBoxImage(const SkinBitmaps& skin, QSize box, int state, bool checked, bool enabled) {
  QImage image = MemorySurface(box, true);
  if (image.isNull()) return image;
  Surface s = surface::of(image);
  const int cx = box.width(), cy = box.height();
  DrawSkinPart(s, 0, 0, cx, cy, ReadingSurface(skin.BoxSkin), boxCell(enabled ? state : kDisabled),
               kBoxMargins, kKey);
  if (checked) {
    const Cell dot = enabled ? kDotEnabled : kDotDisabled;
    copyCell(s, {half(cx - dot.width), half(cy - dot.height)}, skin.MarkSkin, dot);
  }
  return image;
}

QImage DropButtonImage(const SkinBitmaps& skin, QSize button, int state, bool enabled,
                       QPoint arrow) {
  QImage image = MemorySurface(button);
  if (image.isNull()) return image;
  Surface s = surface::of(image);
  if (state == kHot || state == kPressed)
    DrawSkinPart(s, 0, 0, button.width(), button.height(), ReadingSurface(skin.ComboSkin),
                 state == kHot ? kComboHotCell : kComboPressedCell, kComboMargins);
  copyCell(s, arrow, skin.ComboSkin, enabled ? kArrowEnabled : kArrowDisabled);
  return image;
}

QImage HeaderItemImage(const SkinBitmaps& skin, QSize item, int state, const QString& text,
                       const QFont& font, ColourRef textColour) {
  QImage image = MemorySurface(item);
  if (image.isNull()) return image;
  Surface s = surface::of(image);
  DrawSkinPart(s, 0, 0, item.width(), item.height(), ReadingSurface(skin.HeaderSkin),
               headerCell(state), kHeaderMargins);
  DrawCaption(image, text, 0, 0, item.width(), item.height(), font, textColour);
  return image;
}

QImage HeaderBackgroundImage(const SkinBitmaps& skin, QSize size) {
  QImage image = MemorySurface(size);
  if (image.isNull()) return image;
  Surface s = surface::of(image);
  DrawSkinPart(s, 0, 0, size.width(), size.height(), ReadingSurface(skin.HeaderSkin),
               kHeaderBackground, kStretchWhole);
  return image;
}

QImage ProgressImage(QSize size, double fraction, bool vertical, bool inverted) {
  QImage image = MemorySurface(size);
  if (image.isNull()) return image;
  Surface s = surface::of(image);
  // The client area lies inside a one-pixel frame.
  const int b = kFrameWidth, w = size.width(), h = size.height(), cw = w - 2 * b, ch = h - 2 * b;
  FillRect(s, 0, 0, w, h, kFrameEnabled);
  FillRect(s, b, b, cw, ch, kWhite);
  if (vertical) {
    const int filled = numbers::roundHalfEven32(ch * fraction);
    FillRect(s, b, inverted ? b : b + ch - filled, cw, filled, kProgressFill);
  } else {
    const int filled = numbers::roundHalfEven32(cw * fraction);
    FillRect(s, inverted ? b + cw - filled : b, b, filled, ch, kProgressFill);
  }
  return image;
}

}  // namespace skin
