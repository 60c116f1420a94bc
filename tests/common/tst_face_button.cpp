#include <QtTest>
#include <QtWidgets>

#include "common/face_button.h"

namespace {

// What a skin does: a proxy that paints the panel of a button itself (here
// flat, in the inverse of the palette's button colour) and leaves the rest to
// Fusion.
struct InvertedPanelStyle : QProxyStyle {
  InvertedPanelStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element != PE_PanelButtonCommand)
      return QProxyStyle::drawPrimitive(element, option, painter, widget);
    painter->fillRect(option->rect, QColor(~option->palette.button().color().rgb()));
  }
};

}  // namespace

class TstFaceButton : public QObject {
  Q_OBJECT

 private slots:
  // A right click counts only where the button goes down and up on it: dragged off, nothing.
  void rightClickDraggedOffCountsNothing() {
    FaceButton button(QStringLiteral("屏蔽色"));
    button.resize(60, 24);
    QSignalSpy ups(&button, &FaceButton::mouseUp);
    QTest::mousePress(&button, Qt::RightButton, {}, {5, 5});
    QTest::mouseRelease(&button, Qt::RightButton, {}, {70, 5});
    QTest::mouseClick(&button, Qt::RightButton);
    QCOMPARE(ups.size(), 1);
  }

  void paintsItsFaceThroughTheStyle() {
    InvertedPanelStyle style;
    FaceButton button(QStringLiteral("复位"));
    button.setStyle(&style);
    for (ColourRef face : {0x00F5BC7Cu, 0x00400000u, colour::kButtonFace}) {
      button.setBackColor(face);  // the last a system colour: the palette's
      const QColor inverse(~colour::toQColor(face).rgb());
      QCOMPARE(button.grab().toImage().pixelColor(6, 12), inverse);
    }
  }
};

QTEST_MAIN(TstFaceButton)

#include "tst_face_button.moc"
