#include <QTest>

#include "glyphant/history_ring.h"
#include "tests/support/test_helpers.h"

// Drawing n is a 1 x 1 picture of red n, stamp n one of green n, so every
// slot tells which operation filled it.
static QString nameOf(const QImage& picture) {
  if (picture.isNull()) return "-";
  const QRgb pixel = picture.pixel(0, 0);
  return qRed(pixel) ? QString("d%1").arg(qRed(pixel)) : QString("s%1").arg(qGreen(pixel));
}

class TstHistoryRing : public QObject {
  Q_OBJECT

 private slots:
  // d = draw, s = stamp, b = step back, f = step forward; "d*10" repeats.
  // The state: the index, what the last step showed and its status, then
  // written as slot=picture.
  void scripts_data() {
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("state");
    // clang-format off
    QTest::newRow("three drawings, back") << "d*3 b" << "2 d2 第2步 | 1=d1 2=d2 3=d3";
    QTest::newRow("back to the first") << "d*3 b b" << "1 d1 已到第1步不能再退 | 1=d1 2=d2 3=d3";
    QTest::newRow("and no further") << "d*3 b b b" << "1 d1 已到第1步不能再退 | 1=d1 2=d2 3=d3";
    QTest::newRow("drawing after a step back") << "d*4 b b d f" << "4 d4 第4步 | 1=d1 2=d2 3=d5 4=d4";
    QTest::newRow("forward onto a slot never written") << "d*3 b d f" << "4 - 第4步 | 1=d1 2=d2 3=d4";
    QTest::newRow("ten drawings wrap to 0") << "d*10" << "0 |";
    QTest::newRow("then back shows the first") << "d*10 b" << "1 d1 已到第1步不能再退 |";
    QTest::newRow("eleven overwrite slot 1") << "d*11 b" << "1 d11 已到第1步不能再退 |";
    QTest::newRow("forward from 9") << "d*9 f" << "10 - 已到第10不能再进 |";
    QTest::newRow("stays at 10") << "d*9 f f f" << "10 - 已到第10不能再进 |";
    QTest::newRow("stamp at 0 keeps slot 0") << "s" << "1 | 0=s1";
    QTest::newRow("stamp at 1 keeps slot 1, back to 0") << "d s" << "0 | 1=s1";
    QTest::newRow("stamp at 5 keeps nothing") << "d*5 s" << "6 | 1=d1 2=d2 3=d3 4=d4 5=d5";
    QTest::newRow("stamp at 10 stays at 10") << "d*9 f s" << "10 - 已到第10不能再进 |";
    QTest::newRow("drawing after it writes slot 11 at most") << "d*9 f s d" << "0 - 已到第10不能再进 | 11=d10";
    // clang-format on
  }
  void scripts() {
    QFETCH(QString, script);
    QFETCH(QString, state);
    HistoryRing ring;
    int drawings = 0, stamps = 0;
    QString shown;
    for (const QString& token : script.split(' ')) {
      for (int i = 0, times = qMax(1, token.section('*', 1).toInt()); i < times; ++i) {
        if (token[0] == 'd') ring.record(filled(1, 1, qRgb(++drawings, 0, 0)));
        if (token[0] == 's') ring.recordStamp(filled(1, 1, qRgb(0, ++stamps, 0)));
        if (token[0] == 'b' || token[0] == 'f') {
          const HistoryRing::Restore r = token[0] == 'b' ? ring.stepBack() : ring.stepForward();
          QCOMPARE(r.slot, ring.stepIndex());
          shown = nameOf(r.picture) + ' ' + r.status;
        }
      }
    }
    QCOMPARE(QString("%1 %2").arg(ring.stepIndex()).arg(shown).trimmed(),
             state.section('|', 0, 0).trimmed());
    // The slots the case names as written hold what it says.
    QString written;
    for (int slot = 0; slot <= HistoryRing::kSlots; ++slot)
      if (ring.written(slot)) written += QString(" %1=%2").arg(slot).arg(nameOf(ring.slot(slot)));
    for (const QString& slot : state.section('|', 1).split(' ', Qt::SkipEmptyParts))
      QVERIFY2(written.contains(' ' + slot), qPrintable(slot + " not in" + written));
  }

  // A canvas larger than one packed band of rows, with rows that differ, so
  // that a band put back in the wrong place shows. Two in turn, the second
  // unpacked into the memory the first one left.
  void largeCanvasesComeBackWhole() {
    QImage pictures[2];
    for (int n = 0; n < 2; ++n) {
      pictures[n] = QImage(4100, 4200, QImage::Format_RGB32);
      for (int y = 0; y < pictures[n].height(); ++y)
        pictures[n].scanLine(y)[(y * 7) % (4100 * 4)] = uchar(y + n);
    }
    HistoryRing ring;
    for (const QImage& picture : pictures) ring.record(picture);
    QVERIFY(ring.stepBack().picture == pictures[0]);
    QVERIFY(ring.stepForward().picture == pictures[1]);
    QVERIFY(ring.stepBack().picture == pictures[0]);
  }
};

QTEST_MAIN(TstHistoryRing)

#include "tst_history_ring.moc"
