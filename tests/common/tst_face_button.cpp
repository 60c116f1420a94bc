#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QTest>

#include "common/face_button.h"

namespace {

// What a skin does: a proxy that paints the panel of a button itself, flat in
// the palette's button colour, and leaves the rest to Fusion.
struct FlatPanelStyle : QProxyStyle {
  FlatPanelStyle() : QProxyStyle(QStyleFactory::create("Fusion")) {}
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element != PE_PanelButtonCommand)
      return QProxyStyle::drawPrimitive(element, option, painter, widget);
    painter->fillRect(option->rect, option->palette.button());
  }
};

}  // namespace

class TstFaceButton : public QObject {
  Q_OBJECT

 private slots:
  void paintsItsFaceThroughTheStyle_data() {
    QTest::addColumn<ColourRef>("face");
    for (ColourRef face : {0x00F5BC7Cu, 0x00400000u, 0x0000FFFFu, colour::kButtonFace})
      QTest::addRow("%08x", face) << face;
  }
  void paintsItsFaceThroughTheStyle() {
    QFETCH(ColourRef, face);
    FlatPanelStyle style;
    FaceButton button(QStringLiteral("复位"));
    button.setStyle(&style);
    button.resize(67, 23);
    button.setBackColor(face);
    const QImage shot = button.grab().toImage();
    const QColor wanted = colour::toQColor(face);  // the plain face: the palette's
    QCOMPARE(shot.pixelColor(6, 12), wanted);
    // The caption reads on the face: in black or white, whichever is further.
    int caption = 255;
    for (int x = 20; x < 47; ++x)
      caption = std::min(
          caption, std::abs(qGray(shot.pixel(x, 12)) - qGray(colour::readableOn(wanted).rgb())));
    QVERIFY2(caption < 60, "no caption in a colour that reads on the face");
  }
};

QTEST_MAIN(TstFaceButton)

#include "tst_face_button.moc"
