#include <QSignalSpy>
#include <QTest>

#include "common/colour_swatch.h"
#include "tests/support/scripted_dialogs.h"

class TstColourSwatch : public QObject {
  Q_OBJECT

 private slots:
  // A click opens the colour dialog preset with the swatch's colour: a cancel
  // changes nothing, a choice is held and shown.
  void clickChoosesTheColour() {
    ScriptedDialogs dialogs;
    ColourSwatch swatch(0x008130B1);
    swatch.resize(40, 20);
    QSignalSpy chosen(&swatch, &ColourSwatch::colourChosen);
    const QColor start(0xB1, 0x30, 0x81);
    for (std::optional<QColor> answer :
         {std::optional<QColor>(), std::optional(QColor(10, 200, 30))}) {
      dialogs.answerColour(answer);
      QTest::mouseClick(&swatch, Qt::LeftButton);
      QCOMPARE(dialogs.colourRequests().last(), start);
      QCOMPARE(swatch.grab().toImage().pixelColor(20, 10), answer.value_or(start));
      QCOMPARE(chosen.size(), answer ? 1 : 0);
    }
    QCOMPARE(swatch.BackColor(), colour::rgb(10, 200, 30));
  }
};

QTEST_MAIN(TstColourSwatch)

#include "tst_colour_swatch.moc"
