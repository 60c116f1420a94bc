#include <QPalette>
#include <QTest>

#include "common/colour.h"

class TstColour : public QObject {
  Q_OBJECT

 private slots:
  void redInTheLowByte() {
    QCOMPARE(colour::fromQColor(QColor(0x12, 0x34, 0x56).toHsv()), ColourRef(0x563412));
    QCOMPARE(colour::fromPixel(qRgba(0x12, 0x34, 0x56, 0)), ColourRef(0x563412));
    QCOMPARE(colour::rgbText(0x563412), QStringLiteral("RGB(18,52,86)"));
  }

  void systemColoursComeFromThePalette() {
    const QPalette palette(QColor(1, 2, 3));  // the button colour
    QCOMPARE(colour::toQColor(colour::kButtonFace, palette), QColor(1, 2, 3));
  }
};

QTEST_MAIN(TstColour)

#include "tst_colour.moc"
