#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "common/drag_window.h"

using Points = QList<QPoint>;

class TstDragWindow : public QObject {
  Q_OBJECT

 private slots:
  // The pointer goes down at (20, 20) over a child at (10, 10); a script
  // moves it and lets go while DragWindow runs.
  void followsThePointerUntilReleased_data() {
    QTest::addColumn<Points>("moves");
    QTest::addColumn<bool>("deleted");  // the child goes while it is dragged
    QTest::newRow("click") << Points{} << false;
    QTest::newRow("drag") << Points{{30, 25}, {90, 70}, {5, 2}} << false;
    QTest::newRow("deleted while dragged") << Points{{30, 25}} << true;
  }
  void followsThePointerUntilReleased() {
    QFETCH(Points, moves);
    QFETCH(bool, deleted);
    QWidget window;
    window.resize(200, 150);
    QPointer<QWidget> child = new QWidget(&window);
    child->move(10, 10);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWindow* handle = window.windowHandle();
    QCursor::setPos(handle->mapToGlobal(QPoint(20, 20)));
    QCoreApplication::processEvents();  // the move that placing the pointer makes
    QTest::mousePress(handle, Qt::LeftButton, {}, {20, 20});
    Points seen, expected;  // where the child is after each move
    QObject script;         // the script's call goes with this function
    QTimer::singleShot(0, &script, [&] {
      for (QPoint at : moves) QTest::mouseMove(handle, at), seen << child->pos();
      if (deleted) delete child;
      QTest::mouseRelease(handle, Qt::LeftButton, {}, moves.value(moves.size() - 1, {20, 20}));
    });
    DragWindow(child);
    for (QPoint at : moves) expected << at - QPoint(10, 10);
    QCOMPARE(seen, expected);  // and DragWindow returned only after the script ran
    QCOMPARE(child.isNull(), deleted);
    if (child) QCOMPARE(child->pos(), expected.value(expected.size() - 1, {10, 10}));
  }

  void returnsAtOnceWithNoButtonDown() {
    QWidget widget;
    QObject script;
    bool waited = false;
    QTimer::singleShot(0, &script, [&] {
      waited = true;  // and ends a loop that should not have started
      QTest::mouseRelease(&widget, Qt::LeftButton);
    });
    DragWindow(&widget);
    QVERIFY2(!waited, "DragWindow waited for a button that was already up");
  }
};

QTEST_MAIN(TstDragWindow)

#include "tst_drag_window.moc"
