#pragma once

#include <QProxyStyle>

class SkinEngine;

// The style every attached widget is given. It only dispatches: the
// skinned parts of attached controls go to the painters in
// skinned_controls.h; everything else, and every widget that is not (or no
// longer) attached, goes to the style the widget had before, so metrics,
// captions and untouched controls stay exactly as they were.
class SkinStyle final : public QProxyStyle {
 public:
  SkinStyle(SkinEngine& engine, QObject* parent);

  void polish(QWidget* widget) override;
  void unpolish(QWidget* widget) override;
  using QProxyStyle::polish;
  using QProxyStyle::unpolish;

  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget = nullptr) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget = nullptr) const override;

  // Passed on to the previous style.
  QRect subElementRect(SubElement element, const QStyleOption* option,
                       const QWidget* widget = nullptr) const override;
  QRect subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl sub,
                       const QWidget* widget = nullptr) const override;
  SubControl hitTestComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                   const QPoint& point,
                                   const QWidget* widget = nullptr) const override;
  int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                  const QWidget* widget = nullptr) const override;
  QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                         const QWidget* widget = nullptr) const override;
  int styleHint(StyleHint hint, const QStyleOption* option = nullptr,
                const QWidget* widget = nullptr,
                QStyleHintReturn* returnData = nullptr) const override;
  QPixmap standardPixmap(StandardPixmap pixmap, const QStyleOption* option = nullptr,
                         const QWidget* widget = nullptr) const override;
  QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                     const QWidget* widget = nullptr) const override;
  int layoutSpacing(QSizePolicy::ControlType control1, QSizePolicy::ControlType control2,
                    Qt::Orientation orientation, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;

  // Calls that name no widget go to the application's style.
  QRect itemTextRect(const QFontMetrics& metrics, const QRect& rect, int flags, bool enabled,
                     const QString& text) const override;
  QRect itemPixmapRect(const QRect& rect, int flags, const QPixmap& pixmap) const override;
  void drawItemText(QPainter* painter, const QRect& rect, int flags, const QPalette& palette,
                    bool enabled, const QString& text,
                    QPalette::ColorRole textRole = QPalette::NoRole) const override;
  void drawItemPixmap(QPainter* painter, const QRect& rect, int alignment,
                      const QPixmap& pixmap) const override;
  QPixmap generatedIconPixmap(QIcon::Mode mode, const QPixmap& pixmap,
                              const QStyleOption* option) const override;
  QPalette standardPalette() const override;

 private:
  QStyle& previous(const QWidget* widget) const;

  SkinEngine& engine_;
};
