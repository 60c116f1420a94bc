#include <QTest>

#include "common/dialogs.h"

// How the shared dialog's filter, "description|patterns|...", reaches Qt's
// file dialog: every filter in its place, and the one the filter index names
// (counted from 1) chosen.
class TstDialogs : public QObject {
  Q_OBJECT

 private slots:
  // clang-format off
  void filters_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("qtFilter");
    QTest::addColumn<QString>("chosen");
    const QString bitmaps = "Bitmap(*.bmp)|*.bmp|All files(*.*)|*.*";
    const QString qtBitmaps = "Bitmap(*.bmp) (*.bmp);;All files(*.*) (*.*)";
    QTest::newRow("the first") << bitmaps << 1 << qtBitmaps << "Bitmap(*.bmp) (*.bmp)";
    QTest::newRow("the last") << bitmaps << 2 << qtBitmaps << "All files(*.*) (*.*)";
    QTest::newRow("none before the first") << bitmaps << 0 << qtBitmaps << "";
    QTest::newRow("none past the last") << bitmaps << 3 << qtBitmaps << "";
    QTest::newRow("patterns listed") << "Pictures|*.jpg;*.bmp;;*.gif" << 1 << "Pictures (*.jpg *.bmp *.gif)" << "Pictures (*.jpg *.bmp *.gif)";
    QTest::newRow("no filter") << "" << 1 << "" << "";
  }
  // clang-format on
  void filters() {
    QFETCH(QString, filter);
    QFETCH(int, index);
    QTEST(toQtFilter(filter), "qtFilter");
    FileDialogRequest request;
    request.filter = filter;
    request.filterIndex = index;
    QTEST(selectedQtFilter(request), "chosen");
  }
};

QTEST_MAIN(TstDialogs)

#include "tst_dialogs.moc"
