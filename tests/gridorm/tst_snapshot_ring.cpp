#include <QTest>

#include "gridorm/snapshot_ring.h"
#include "tests/support/test_helpers.h"

class TstSnapshotRing : public QObject {
  Q_OBJECT

 private slots:
  // Thirteen drawings, the n-th a picture n pixels wide: slots 0 to 11 in
  // order, then slot 0 again. Storing by hand leaves the counter alone, and
  // a slot never stored gives nothing back.
  void goesRound() {
    SnapshotRing ring;
    QList<int> chosen;
    for (int n = 1; n <= 13; ++n) chosen << ring.fileDrawing(filled(n, 1, 0));
    QCOMPARE(chosen, QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0}));
    ring.store(12, filled(5, 5, 0));  // no such slot
    ring.store(1, filled(5, 5, 0));
    QCOMPARE(QList({ring.counter(), ring.picture(0)->width(), ring.picture(11)->width(),
                    ring.picture(1)->width()}),
             QList({1, 13, 12, 5}));
    SnapshotRing fresh;
    QVERIFY2(!fresh.picture(4) && !ring.picture(12) && !ring.picture(-1), "nothing stored there");
  }
};

QTEST_MAIN(TstSnapshotRing)

#include "tst_snapshot_ring.moc"
