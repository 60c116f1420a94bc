#include "gridorm/skin/skinned_controls.h"

#include <QAbstractScrollArea>
#include <QFrame>
#include <QPainter>
#include <QStyleOption>

#include "gridorm/skin/control_painters.h"
#include "gridorm/skin/skin_drawing.h"
#include "gridorm/skin/skin_engine.h"
#include "gridorm/skin/skin_geometry.h"
#include "gridorm/skin/skin_properties.h"

namespace skinned {

namespace {

using namespace skin;

bool enabled(const QStyleOption& option) { return option.state & QStyle::State_Enabled; }

ColourRef frameColour(const QStyleOption& option) {
  return enabled(option) ? kFrameEnabled : kFrameDisabled;
}

int oldState(const QWidget* widget) { return prop::get(widget, prop::kOldState); }

// Paints `image` with its top-left at `at`, in the painter's coordinates.
void put(QPainter* painter, QPoint at, const QImage& image) {
  if (!image.isNull()) painter->drawImage(at, image);
}

// The previous style's caption and focus frame of a check or option box,
// as QCommonStyle lays them out around the indicator.
void captionAndFocus(const SkinPaint& paint, const QStyleOptionButton& button,
                     QStyle::SubElement contents, QStyle::ControlElement label,
                     QStyle::SubElement focus) {
  QStyleOptionButton caption = button;
  caption.rect = paint.previous.subElementRect(contents, &button, paint.widget);
  paint.previous.drawControl(label, &caption, paint.painter, paint.widget);
  if (!(button.state & QStyle::State_HasFocus)) return;
  QStyleOptionFocusRect frame;
  frame.QStyleOption::operator=(button);
  frame.rect = paint.previous.subElementRect(focus, &button, paint.widget);
  paint.previous.drawPrimitive(QStyle::PE_FrameFocusRect, &frame, paint.painter, paint.widget);
}

ColourRef backgroundOf(const QWidget* widget) {
  const auto* area = qobject_cast<const QAbstractScrollArea*>(widget);
  const QWidget* client = area != nullptr ? area->viewport() : widget;
  return colour::fromQColor(client->palette().color(client->backgroundRole()));
}

void flatFrame(const SkinPaint& paint, int border, ColourRef background) {
  paint.painter->save();
  paint.painter->translate(paint.option->rect.topLeft());
  PaintFlatFrame(*paint.painter, paint.option->rect.size(), border, frameColour(*paint.option),
                 background);
  paint.painter->restore();
}

}  // namespace

bool pushButton(const SkinPaint& paint) {
  const ButtonFace* face = paint.record.face.get();
  if (face == nullptr || face->face().isNull()) return false;
  put(paint.painter, paint.option->rect.topLeft(), face->face());
  return true;
}

bool checkBox(const SkinPaint& paint) {
  const auto* button = qstyleoption_cast<const QStyleOptionButton*>(paint.option);
  if (button == nullptr) return false;
  const QRect box =
      paint.previous.subElementRect(QStyle::SE_CheckBoxIndicator, button, paint.widget);
  const CheckMark mark = button->state & QStyle::State_On         ? CheckMark::Checked
                         : button->state & QStyle::State_NoChange ? CheckMark::Indeterminate
                                                                  : CheckMark::None;
  put(paint.painter, box.topLeft(),
      CheckBoxImage(paint.skin, box.size(), oldState(paint.widget), mark, enabled(*button)));
  captionAndFocus(paint, *button, QStyle::SE_CheckBoxContents, QStyle::CE_CheckBoxLabel,
                  QStyle::SE_CheckBoxFocusRect);
  return true;
}

bool optionButton(const SkinPaint& paint) {
  const auto* button = qstyleoption_cast<const QStyleOptionButton*>(paint.option);
  if (button == nullptr) return false;
  const QRect box =
      paint.previous.subElementRect(QStyle::SE_RadioButtonIndicator, button, paint.widget);
  put(paint.painter, box.topLeft(),
      OptionBoxImage(paint.skin, box.size(), oldState(paint.widget),
                     button->state & QStyle::State_On, enabled(*button)));
  captionAndFocus(paint, *button, QStyle::SE_RadioButtonContents, QStyle::CE_RadioButtonLabel,
                  QStyle::SE_RadioButtonFocusRect);
  return true;
}

bool comboBox(const SkinPaint& paint) {
  const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(paint.option);
  if (combo == nullptr) return false;
  const QRect rect = combo->rect;
  QPainter& painter = *paint.painter;
  if (combo->editable) {
    // An editable box is drawn by the skin alone: white, framed.
    painter.fillRect(rect, colour::toQColor(kWhite));
    flatFrame(paint, kFrameWidth, kWhite);
  } else {
    paint.previous.drawComplexControl(QStyle::CC_ComboBox, combo, &painter, paint.widget);
    flatFrame(paint, kFrameAndWhiteRing, kWhite);
  }
  // The drop button is as wide as a scroll bar, plus one.
  const int extent = paint.previous.pixelMetric(QStyle::PM_ScrollBarExtent, combo, paint.widget);
  const QSize button(extent + kDropButtonExtraWidth, rect.height() - 2 * kFrameWidth);
  const QPoint arrow(half(extent - kArrowInset), half(rect.height() - kArrowInset));
  put(&painter, rect.topLeft() + QPoint(rect.width() - button.width() - kFrameWidth, kFrameWidth),
      DropButtonImage(paint.skin, button, oldState(paint.widget), enabled(*combo), arrow));
  return true;
}

bool headerSection(const SkinPaint& paint) {
  const auto* header = qstyleoption_cast<const QStyleOptionHeader*>(paint.option);
  if (header == nullptr) return false;
  const int pressed = prop::get(paint.widget, prop::kHdIndex);
  const int hot = prop::get(paint.widget, prop::kHmIndex);
  const int settled = header->section == pressed ? kPressed
                      : header->section == hot   ? kHot
                                                 : kNormal;
  const int state = paint.record.drawnItems.value(header->section, settled);
  const ColourRef text = colour::fromQColor(header->palette.color(QPalette::ButtonText));
  put(paint.painter, header->rect.topLeft(),
      HeaderItemImage(paint.skin, header->rect.size(), state, header->text, paint.painter->font(),
                      text));
  if (header->sortIndicator != QStyleOptionHeader::None) {
    QStyleOptionHeader arrow = *header;
    arrow.rect = paint.previous.subElementRect(QStyle::SE_HeaderArrow, header, paint.widget);
    paint.previous.drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &arrow, paint.painter,
                                 paint.widget);
  }
  return true;
}

bool headerEmptyArea(const SkinPaint& paint) {
  put(paint.painter, paint.option->rect.topLeft(),
      HeaderBackgroundImage(paint.skin, paint.option->rect.size()));
  return true;
}

bool progressBar(const SkinPaint& paint) {
  const auto* bar = qstyleoption_cast<const QStyleOptionProgressBar*>(paint.option);
  if (bar == nullptr) return false;
  const bool vertical = !(bar->state & QStyle::State_Horizontal);
  // A horizontal bar runs the other way in a right-to-left layout.
  const bool mirrored = !vertical && bar->direction == Qt::RightToLeft;
  const bool inverted = vertical ? bar->invertedAppearance : bar->invertedAppearance != mirrored;
  put(paint.painter, bar->rect.topLeft(),
      ProgressImage(bar->rect.size(), ProgressFraction(bar->progress, bar->minimum, bar->maximum),
                    vertical, inverted));
  if (bar->textVisible && !vertical) {
    QStyleOptionProgressBar label = *bar;
    label.rect = paint.previous.subElementRect(QStyle::SE_ProgressBarLabel, bar, paint.widget);
    paint.previous.drawControl(QStyle::CE_ProgressBarLabel, &label, paint.painter, paint.widget);
  }
  return true;
}

bool comboListFrame(const SkinPaint& paint) {
  paint.previous.drawControl(QStyle::CE_ShapedFrame, paint.option, paint.painter, paint.widget);
  flatFrame(paint, kFrameAndWhiteRing, kWhite);
  return true;
}

bool sunkenFrame(const SkinPaint& paint) {
  const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(paint.option);
  if (frame == nullptr) return false;
  paint.previous.drawControl(QStyle::CE_ShapedFrame, frame, paint.painter, paint.widget);
  const bool edged = frame->frameShape == QFrame::Box || frame->frameShape == QFrame::Panel ||
                     frame->frameShape == QFrame::WinPanel ||
                     frame->frameShape == QFrame::StyledPanel;
  if (!edged || !(frame->state & QStyle::State_Sunken)) return true;
  // The border is what lies between the frame and the contents.
  const bool whole = frame->rect == paint.widget->rect();
  const int border = whole
                         ? BorderSize(paint.widget->size(), paint.widget->contentsRect().size()).x()
                         : frame->lineWidth;
  flatFrame(paint, border, backgroundOf(paint.widget));
  return true;
}

bool lineEditPanel(const SkinPaint& paint) {
  const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(paint.option);
  if (frame == nullptr) return false;
  // A frameless field (a combo box's) is the previous style's.
  if (frame->lineWidth <= 0) return false;
  // The whole panel is the skin's: the field's background to the frame line,
  // with none of the previous style's shadows or rounded corners inside it.
  const QColor base = frame->palette.color(QPalette::Base);
  paint.painter->fillRect(frame->rect, base);
  flatFrame(paint, frame->lineWidth, colour::fromQColor(base));
  return true;
}

}  // namespace skinned
