#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>
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
  // As on a machine of one core: Qt's painting then has one helper thread.
  void initTestCase() { QThreadPool::globalInstance()->setMaxThreadCount(1); }

  void init() {
    failOnConsoleNoise();
    QVERIFY(written(file_, "abcd"));
  }

  // While the worker waits at the gate, the window's thread goes on: its
  // timers fire and the progress window comes up with the busy pointer and
  // the share of the file read.
  // Opened, the picture reaches the callback on the window's thread, and the
  // pointer the capture had before comes back.
  void loadsOffTheWindowsThread() {
    QWidget window;
    GatedLoader loader;
    auto* job = new PictureLoadJob(&window, std::ref(loader));
    cursor_override::set(Qt::CrossCursor);
    QList<QThread*> deliveredOn;
    QImage delivered;
    job->start(file_, [&](const LoadedPicture& loaded) {
      deliveredOn << QThread::currentThread();
      delivered = loaded.image;
    });
    QCOMPARE(cursor_override::current(), std::optional(Qt::BusyCursor));
    QTRY_VERIFY(progress(window) != nullptr && progress(window)->isVisible());
    QCOMPARE(progress(window)->labelText(), "正在打开图片“a.png”……");
    QTRY_COMPARE(progress(window)->value(), 75);
    QVERIFY(loader.thread.loadRelaxed() != QThread::currentThread());
    window.resize(1000, 1000);  // large enough for Qt to paint it with helper threads
    QVERIFY(!window.grab().isNull());
    QVERIFY(deliveredOn.isEmpty() && job->busy());
    loader.gate.release();
    QTRY_COMPARE(deliveredOn, QList{QThread::currentThread()});
    QCOMPARE(delivered.size(), QSize(3, 2));
    QVERIFY(!job->busy() && PictureLoadJob::underWay() == 0);
    QTRY_COMPARE(progress(window), nullptr);
    QCOMPARE(cursor_override::current(), std::optional(Qt::CrossCursor));
    cursor_override::reset();
  }

  // A load given up changes nothing: its callback never runs, even when its
  // worker ends later, and the pointer is the plain one again.
  void givenUpLoadsReachNobody_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("cancel in the progress window") << "cancel";
    QTest::newRow("Esc in the progress window") << "Esc";
    QTest::newRow("a newer load") << "newer";
    QTest::newRow("the window closed") << "closed";
  }
  void givenUpLoadsReachNobody() {
    QFETCH(QString, how);
    auto window = std::make_unique<QWidget>();
    GatedLoader loader;
    auto* job = new PictureLoadJob(window.get(), std::ref(loader));
    QStringList calls;
    job->start(file_, [&](const LoadedPicture&) { calls << "old"; });
    QTRY_VERIFY(progress(*window) != nullptr);
    if (how == "cancel")
      QTest::mouseClick(progress(*window)->findChild<QPushButton*>(), Qt::LeftButton);
    if (how == "Esc") QTest::keyClick(progress(*window), Qt::Key_Escape);
    if (how == "newer") job->start(file_, [&](const LoadedPicture&) { calls << "new"; });
    if (how == "closed") window.reset();
    loader.gate.release(2);
    PictureLoadJob::workers().waitForDone();
    QCoreApplication::processEvents();  // what the workers posted arrives
    QTRY_COMPARE(calls.join(' '), how == "newer" ? "new" : "");
    QCOMPARE(cursor_override::current(), std::nullopt);
    QCOMPARE(PictureLoadJob::underWay(), 0);
  }

  // A pipe or a device is refused before anything opens it, as opening a pipe
  // waits for a writer: the answer comes before start returns.
  void onlyRegularFilesAreOpened() {
    const QString pipe = dir_.filePath("pipe.png");
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QWidget window;
    PictureLoadJob job(&window);
    for (const QString& path : {pipe, QStringLiteral("/dev/zero")}) {
      QString error = "no answer";
      job.start(path, [&](const LoadedPicture& loaded) { error = loaded.error; });
      QVERIFY2(error.contains("不是普通文件") && !job.busy(), qPrintable(path + ": " + error));
    }
    // Had it gone to the worker anyway, a writer lets it end.
    if (const int writer = ::open(QFile::encodeName(pipe).constData(), O_WRONLY | O_NONBLOCK);
        writer >= 0)
      ::close(writer);
  }
};

QTEST_MAIN(TstPictureLoadJob)

#include "tst_picture_load_job.moc"
