#include <QtTest>

#include "rotaskiv/snapshot_history.h"

namespace {

class TestSnapshotHistory : public QObject {
  Q_OBJECT

 private slots:
  void scripts_data();
  void scripts();
};

// "+x" pushes the blob "x", "u" undoes, "r" redoes, "1" goes back to the first
// snapshot, "c" clears. Expected: what each undo and redo gave ("-" nothing),
// then count / redo limit / blobs kept / bytes kept.
void TestSnapshotHistory::scripts_data() {
  QTest::addColumn<QString>("script");
  QTest::addColumn<QString>("expected");
  QTest::newRow("undo at 1 gives nothing") << "+a u"
                                           << "- 1/1/1/1";
  QTest::newRow("undo and redo walk the list") << "+a +b +c u u r"
                                               << "b a b 2/3/3/3";
  QTest::newRow("redo at the limit") << "+a +b r r"
                                     << "- - 2/2/2/2";
  QTest::newRow("undo at 1 keeps the redo limit") << "+a +b u u r"
                                                  << "a - b 2/2/2/2";
  QTest::newRow("a push after undo drops the rest") << "+a +bb +ccc u u +dddd r u"
                                                    << "bb a - a 1/2/2/5";
  QTest::newRow("back to the first snapshot") << "+a +bb +ccc u 1 r u"
                                              << "bb - - 1/1/1/1";
  QTest::newRow("empty history") << "u r 1"
                                 << "- - 0/0/0/0";
  QTest::newRow("clear starts afresh") << "+a +bb c +ccc u"
                                       << "- 1/1/1/3";
}

void TestSnapshotHistory::scripts() {
  QFETCH(QString, script);
  QFETCH(QString, expected);
  SnapshotHistory history;
  QStringList got;
  auto note = [&](const std::optional<QByteArray>& blob) { got << (blob ? QString(*blob) : "-"); };
  for (const QString& step : script.split(' ')) {
    if (step.startsWith('+')) history.push(step.mid(1).toLatin1());
    if (step == "u") note(history.undo());
    if (step == "r") note(history.redo());
    if (step == "1") history.resetToFirst();
    if (step == "c") history.clear();
  }
  got << QString::asprintf("%d/%d/%d/%d", history.count(), history.redoLimit(), int(history.size()),
                           int(history.bytes()));
  QCOMPARE(got.join(' '), expected);
}

}  // namespace

QTEST_MAIN(TestSnapshotHistory)

#include "tst_snapshot_history.moc"
