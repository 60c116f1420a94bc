#include <QtTest>
#include <QtWidgets>

#include "common/cursor_override.h"
#include "common/picture_load_job.h"
#include "tests/support/test_helpers.h"

// A load whose reading waits at a gate the test opens, so that "slow" is
// whatever the test makes it, never a timing.
struct GatedLoader {
  QSemaphore gate;
  QAtomicPointer<QThread> thread;
  LoadedPicture operator()(const QString&, LoadTracking& tracking) {
    thread = QThread::currentThread();
    tracking.readUpTo = 3;  // of the file's four bytes
    gate.acquire();
    return {filled(3, 2, qRgb(1, 2, 3)), {}};
  }
};

class TstPictureLoadJob : public QObject {
  Q_OBJECT

  QTemporaryDir dir_;
  QString file_ = dir_.filePath("a.png");  // any regular file: the gate does the reading

  QProgressDialog* progress(QWidget& window) { return window.findChild<QProgressDialog*>(); }

 private slots:
  void initTestCase() {
    // As on a machine of one core: Qt's painting then has one helper thread.
    QThreadPool::globalInstance()->setMaxThreadCount(1);
    QVERIFY(written(file_, "abcd"));
    cursor_override::set(Qt::CrossCursor);  // the window's own, before any load
  }
  void init() { failOnConsoleNoise(); }

  // While the worker waits at the gate, the window's thread goes on: its
  // timers fire, it paints, and the progress window comes up with the busy
  // pointer and the share of the file read. The picture reaches the callback
  // on the window's thread; a load given up reaches nobody, even when its
  // worker ends later. Either way the pointer the window had comes back.
  // clang-format off
  void loadsOffTheWindowsThread_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("reached");  // the callbacks that ran, where, with what picture
    QTest::newRow("opened") << "" << "old here 3";
    QTest::newRow("cancel in the progress window") << "cancel" << "";
    QTest::newRow("Esc in the progress window") << "Esc" << "";
    QTest::newRow("a newer load") << "newer" << "new here 3";
    QTest::newRow("the window closed") << "closed" << "";
  }
  // clang-format on
  void loadsOffTheWindowsThread() {
    QFETCH(QString, how);
    auto window = std::make_unique<QWidget>();
    GatedLoader loader;
    auto* job = new PictureLoadJob(window.get(), std::ref(loader));
    QStringList calls;
    const auto done = [&](const char* which) {
      return [&, which](const LoadedPicture& loaded) {
        calls << which + QString(QThread::currentThread() == thread() ? " here " : " there ") +
                     QString::number(loaded.image.width());
      };
    };
    job->start(file_, done("old"));
    QCOMPARE(cursor_override::current(), std::optional(Qt::BusyCursor));
    QTRY_VERIFY(progress(*window) != nullptr && progress(*window)->isVisible());
    QCOMPARE(progress(*window)->labelText(), "正在打开图片“a.png”……");
    QTRY_COMPARE(progress(*window)->value(), 75);
    window->resize(1000, 1000);  // large enough for Qt to paint it with helper threads
    QVERIFY(!window->grab().isNull() && loader.thread.loadRelaxed() != thread());
    if (how == "cancel")
      QTest::mouseClick(progress(*window)->findChild<QPushButton*>(), Qt::LeftButton);
    if (how == "Esc") QTest::keyClick(progress(*window), Qt::Key_Escape);
    if (how == "newer") job->start(file_, done("new"));
    if (how == "closed") window.reset();
    loader.gate.release(2);
    PictureLoadJob::workers().waitForDone();
    QCoreApplication::processEvents();  // what the workers posted arrives
    QTEST(calls.join(' '), "reached");
    QVERIFY(PictureLoadJob::underWay() == 0 &&
            (!window || !progress(*window) || progress(*window)->isHidden()));
    QCOMPARE(cursor_override::current(), std::optional(Qt::CrossCursor));
  }
};

QTEST_MAIN(TstPictureLoadJob)

#include "tst_picture_load_job.moc"
