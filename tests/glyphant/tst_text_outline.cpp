#include <QtTest>
#include <QtWidgets>

#include "common/fonts.h"
#include "common/picture_box.h"
#include "glyphant/text_outline.h"
#include "tests/support/image_compare.h"

// The letters' outlines are what the canvas prints: filled at the canvas's
// size they differ from the printed letters only in the smoothing of their
// edges, in each style, across faces and with the underline of each face.
class TstTextOutline : public QObject {
  Q_OBJECT

 private slots:
  void fillsAsPrinted_data() {
    QTest::addColumn<QString>("family");
    QTest::addColumn<int>("pixels");
    QTest::addColumn<QString>("style");
    QTest::addColumn<QString>("text");
    // clang-format off
    QTest::newRow("bold") << "DejaVu Serif" << 120 << "bold" << "Bold 粗";
    QTest::newRow("italic, no italic face") << "DejaVu Sans" << 120 << "italic" << "Ag 斜";
    // Latin letters underlined at their face's place, Chinese ones at theirs.
    QTest::newRow("underline across faces") << "DejaVu Sans" << 300 << "underline" << "大gy设";
    QTest::newRow("underline, Chinese face") << "Noto Sans CJK SC" << 200 << "underline" << "设计";
    // clang-format on
  }
  void fillsAsPrinted() {
    QFETCH(QString, family);
    QFETCH(int, pixels);
    QFETCH(QString, style);
    QFETCH(QString, text);
    PictureBox box;
    box.setBorder(PictureBox::Border::None);
    box.setScaleMode(PictureBox::ScaleMode::Pixels);
    box.resize(pixels * (text.size() + 1), pixels * 2);
    box.setBackColor(0xFFFFFF);
    box.setForeColor(0x0000FF);
    QFont font;
    font.setFamilies(fonts::withCjkFallback(family));
    font.setPixelSize(pixels);
    font.setBold(style == "bold"), font.setItalic(style == "italic");
    font.setUnderline(style == "underline");
    box.setFont(font);
    box.CurrentX = 10.5, box.CurrentY = 7.5;  // rounded as the box rounds them, half to even
    const text_outline::Letters letters = text_outline::of(font, text, 10.5, 7.5);
    QImage filled = box.Image().copy();
    box.Print(text);
    QPainter painter(&filled);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const QPainterPath& shape : letters.shapes) painter.fillPath(shape, Qt::red);
    painter.end();
    QCOMPARE(letters.problem, QString());
    const double difference = meanDifferenceOnWhite(filled, box.Image());
    QVERIFY2(difference <= 0.5, qPrintable(QString::number(difference)));
  }
};

QTEST_MAIN(TstTextOutline)
#include "tst_text_outline.moc"
