#include <QtTest>
#include <QtWidgets>
#include <algorithm>

#include "common/drag_window.h"

using Points = QList<QPoint>;

// Whether the button is down, the pointer's moves, whether the child goes
// while it is dragged.
using Drag = std::tuple<bool, QList<QPoint>, bool>;

class TstDragWindow : public QObject {
  Q_OBJECT

 private slots:
  // The pointer goes down at (20, 20) over a child at (10, 10) of a window of
  // 200 x 150, unless the button is already up; a script moves it and lets go
  // while DragWindow runs.
  void followsThePointerUntilReleased_data() {
    QTest::addColumn<Drag>("row");
    QTest::newRow("click") << Drag{true, Points{}, false};
    QTest::newRow("drag") << Drag{true, Points{{30, 25}, {100, 40}, {5, 2}}, false};
    QTest::newRow("deleted while dragged") << Drag{true, Points{{30, 25}}, true};
    QTest::newRow("button already up") << Drag{false, Points{{30, 25}}, false};
    // The pointer is held to the window's client area: the pressed point of
    // the child stays in it, so the child can always be taken again.
    QTest::newRow("released far outside") << Drag{true, Points{{2000, 1500}}, false};
    QTest::newRow("out past the top left") << Drag{true, Points{{-300, 60}, {40, -50}}, false};
  }
  void followsThePointerUntilReleased() {
    QFETCH(Drag, row);
    const auto& [pressed, moves, deleted] = row;
    QWidget window;
    QPointer<QWidget> child = new QWidget(&window);
    child->move(10, 10);
    window.resize(200, 150);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QWindow* handle = window.windowHandle();
    QCursor::setPos(handle->mapToGlobal(QPoint(20, 20)));
    QCoreApplication::processEvents();  // the move that placing the pointer makes
    if (pressed) QTest::mousePress(handle, Qt::LeftButton, {}, {20, 20});
    Points seen, expected;  // where the child is after each move
    QObject script;         // the script's call goes with this function
    QTimer::singleShot(0, &script, [&] {
      for (QPoint at : moves) QTest::mouseMove(handle, at), seen << child->pos();
      if (deleted) delete child;
      QTest::mouseRelease(handle, Qt::LeftButton, {}, {20, 20});
    });
    DragWindow(child);
    for (QPoint at : moves)
      expected << QPoint(std::clamp(at.x(), 0, 199), std::clamp(at.y(), 0, 149)) - QPoint(10, 10);
    QCOMPARE(seen, pressed ? expected : Points());  // returned only once the script ran
    QCOMPARE(QWidget::mouseGrabber(), nullptr);     // the pointer free for every control again
  }
};

QTEST_MAIN(TstDragWindow)

#include "tst_drag_window.moc"
