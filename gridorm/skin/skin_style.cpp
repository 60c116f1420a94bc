#include "gridorm/skin/skin_style.h"

#include <QApplication>
#include <QStyleOption>

#include "gridorm/skin/skin_engine.h"
#include "gridorm/skin/skinned_controls.h"

namespace {

using Family = SkinFamily;

}  // namespace

SkinStyle::SkinStyle(SkinEngine& engine, QObject* parent) : engine_(engine) { setParent(parent); }

QStyle& SkinStyle::previous(const QWidget* widget) const { return *engine_.previousStyle(widget); }

void SkinStyle::polish(QWidget* widget) {
  previous(widget).polish(widget);
  // The skin draws the hot states itself, from the pointer's moves; Qt's
  // hover repaints would only paint them over.
  const AttachedWidget* record = engine_.record(widget);
  if (record != nullptr && tracksPointer(record->family)) widget->setAttribute(Qt::WA_Hover, false);
}

void SkinStyle::unpolish(QWidget* widget) { previous(widget).unpolish(widget); }

void SkinStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                              QPainter* painter, const QWidget* widget) const {
  const AttachedWidget* record = engine_.record(widget);
  const SkinBitmaps* skin = engine_.bitmaps();
  if (record != nullptr && skin != nullptr && option != nullptr && element == PE_PanelLineEdit &&
      record->family == Family::Other &&
      skinned::lineEditPanel({option, painter, widget, *record, *skin, previous(widget)}))
    return;
  previous(widget).drawPrimitive(element, option, painter, widget);
}

void SkinStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                            const QWidget* widget) const {
  const AttachedWidget* record = engine_.record(widget);
  const SkinBitmaps* skin = engine_.bitmaps();
  if (record != nullptr && skin != nullptr && option != nullptr) {
    const SkinPaint paint{option, painter, widget, *record, *skin, previous(widget)};
    const Family family = record->family;
    bool done = false;
    switch (element) {
      case CE_PushButton:
        done = family == Family::Button && skinned::pushButton(paint);
        break;
      case CE_CheckBox:
        done = family == Family::CheckBox && skinned::checkBox(paint);
        break;
      case CE_RadioButton:
        done = family == Family::Option && skinned::optionButton(paint);
        break;
      case CE_Header:
        done = family == Family::Header && skinned::headerSection(paint);
        break;
      case CE_HeaderEmptyArea:
        done = family == Family::Header && skinned::headerEmptyArea(paint);
        break;
      case CE_ProgressBar:
        done = family == Family::Progress && skinned::progressBar(paint);
        break;
      case CE_ShapedFrame:
        done = family == Family::ComboList
                   ? skinned::comboListFrame(paint)
                   : family != Family::Progress && skinned::sunkenFrame(paint);
        break;
      default:
        break;
    }
    if (done) return;
  }
  previous(widget).drawControl(element, option, painter, widget);
}

void SkinStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                   QPainter* painter, const QWidget* widget) const {
  const AttachedWidget* record = engine_.record(widget);
  const SkinBitmaps* skin = engine_.bitmaps();
  if (record != nullptr && skin != nullptr && option != nullptr && control == CC_ComboBox &&
      record->family == Family::Combo &&
      skinned::comboBox({option, painter, widget, *record, *skin, previous(widget)}))
    return;
  previous(widget).drawComplexControl(control, option, painter, widget);
}

QRect SkinStyle::subElementRect(SubElement element, const QStyleOption* option,
                                const QWidget* widget) const {
  return previous(widget).subElementRect(element, option, widget);
}

QRect SkinStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option,
                                SubControl sub, const QWidget* widget) const {
  return previous(widget).subControlRect(control, option, sub, widget);
}

QStyle::SubControl SkinStyle::hitTestComplexControl(ComplexControl control,
                                                    const QStyleOptionComplex* option,
                                                    const QPoint& point,
                                                    const QWidget* widget) const {
  return previous(widget).hitTestComplexControl(control, option, point, widget);
}

int SkinStyle::pixelMetric(PixelMetric metric, const QStyleOption* option,
                           const QWidget* widget) const {
  return previous(widget).pixelMetric(metric, option, widget);
}

QSize SkinStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                  const QWidget* widget) const {
  return previous(widget).sizeFromContents(type, option, size, widget);
}

int SkinStyle::styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                         QStyleHintReturn* returnData) const {
  return previous(widget).styleHint(hint, option, widget, returnData);
}

QPixmap SkinStyle::standardPixmap(StandardPixmap pixmap, const QStyleOption* option,
                                  const QWidget* widget) const {
  return previous(widget).standardPixmap(pixmap, option, widget);
}

QIcon SkinStyle::standardIcon(StandardPixmap icon, const QStyleOption* option,
                              const QWidget* widget) const {
  return previous(widget).standardIcon(icon, option, widget);
}

int SkinStyle::layoutSpacing(QSizePolicy::ControlType control1, QSizePolicy::ControlType control2,
                             Qt::Orientation orientation, const QStyleOption* option,
                             const QWidget* widget) const {
  return previous(widget).layoutSpacing(control1, control2, orientation, option, widget);
}

QRect SkinStyle::itemTextRect(const QFontMetrics& metrics, const QRect& rect, int flags,
                              bool enabled, const QString& text) const {
  return QApplication::style()->itemTextRect(metrics, rect, flags, enabled, text);
}

QRect SkinStyle::itemPixmapRect(const QRect& rect, int flags, const QPixmap& pixmap) const {
  return QApplication::style()->itemPixmapRect(rect, flags, pixmap);
}

void SkinStyle::drawItemText(QPainter* painter, const QRect& rect, int flags,
                             const QPalette& palette, bool enabled, const QString& text,
                             QPalette::ColorRole textRole) const {
  QApplication::style()->drawItemText(painter, rect, flags, palette, enabled, text, textRole);
}

void SkinStyle::drawItemPixmap(QPainter* painter, const QRect& rect, int alignment,
                               const QPixmap& pixmap) const {
  QApplication::style()->drawItemPixmap(painter, rect, alignment, pixmap);
}

QPixmap SkinStyle::generatedIconPixmap(QIcon::Mode mode, const QPixmap& pixmap,
                                       const QStyleOption* option) const {
  return QApplication::style()->generatedIconPixmap(mode, pixmap, option);
}

QPalette SkinStyle::standardPalette() const { return QApplication::style()->standardPalette(); }
