#include <QSignalSpy>
#include <QTest>

#include "common/colour_swatch.h"
#include "tests/support/scripted_dialogs.h"

using Answer = std::optional<QColor>;

class TstColourSwatch : public QObject {
  Q_OBJECT

 private slots:
  void clickOpensTheDialogPreset_data() {
    QTest::addColumn<Answer>("answer");
    QTest::newRow("chosen") << Answer(QColor(10, 200, 30));
    QTest::newRow("cancelled") << Answer();
  }
  void clickOpensTheDialogPreset() {
    QFETCH(Answer, answer);
    ScriptedDialogs dialogs;
    dialogs.answerColour(answer);
    ColourSwatch swatch(0x008130B1);
    swatch.resize(40, 20);
    QSignalSpy chosen(&swatch, &ColourSwatch::colourChosen);
    QTest::mouseClick(&swatch, Qt::LeftButton);
    const QColor start(0xB1, 0x30, 0x81), held = answer.value_or(start);
    QCOMPARE(dialogs.colourRequests(), QList<QColor>{start});
    QCOMPARE(colour::toQColor(swatch.BackColor()), held);
    QCOMPARE(chosen.size(), answer ? 1 : 0);
    QCOMPARE(swatch.grab().toImage().pixelColor(20, 10), held);  // painted from its palette
  }
};

QTEST_MAIN(TstColourSwatch)

#include "tst_colour_swatch.moc"
