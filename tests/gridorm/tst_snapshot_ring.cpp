#include <QTest>

#include "gridorm/snapshot_ring.h"
#include "tests/support/test_helpers.h"

class TstSnapshotRing : public QObject {
  Q_OBJECT

 private slots:
  // Thirteen drawings, the n-th a picture n pixels wide: slots 0 to 11 in
  // order, then slot 0 again.
  void thirteenDrawingsGoRound() {
    SnapshotRing ring;
    QList<int> chosen;
    for (int n = 1; n <= 13; ++n) chosen << ring.fileDrawing(filled(n, 1, 0));
    QCOMPARE(chosen, QList<int>({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0}));
    QCOMPARE(ring.counter(), 1);
    QCOMPARE(ring.picture(0)->width(), 13);
    QCOMPARE(ring.picture(11)->width(), 12);
  }

  void storedByHandAndNeverStored() {
    SnapshotRing ring;
    ring.store(3, filled(5, 5, 0xFF112233));
    ring.store(12, filled(5, 5, 0));  // no such slot
    QCOMPARE(ring.picture(3)->pixel(4, 4), 0xFF112233u);
    QVERIFY2(!ring.picture(4).has_value(), "a slot never stored gives nothing back");
    QVERIFY2(!ring.picture(12).has_value() && !ring.picture(-1).has_value(), "no such slots");
    QCOMPARE(ring.counter(), 0);  // storing by hand leaves the drawing counter
  }
};

QTEST_MAIN(TstSnapshotRing)

#include "tst_snapshot_ring.moc"
