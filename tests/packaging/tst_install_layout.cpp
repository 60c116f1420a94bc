// The installed tree as a desktop starts it: each program through its link in
// the binary folder, finding what it needs beside its own file.
#include <sys/inotify.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Tells whether a folder was opened (listed) since the watch began; once
// seen, it stays seen.
class FolderWatch {
 public:
  explicit FolderWatch(const QString& folder) : fd_(inotify_init1(IN_NONBLOCK)) {
    valid_ = inotify_add_watch(fd_, QFile::encodeName(folder).constData(), IN_OPEN) >= 0;
  }
  ~FolderWatch() { close(fd_); }
  FolderWatch(const FolderWatch&) = delete;
  FolderWatch& operator=(const FolderWatch&) = delete;
  bool valid() const { return valid_; }
  bool opened() {
    alignas(inotify_event) char events[4096];
    for (ssize_t size; (size = read(fd_, events, sizeof events)) > 0;)
      for (ssize_t at = 0; at < size;) {
        const auto* event = reinterpret_cast<const inotify_event*>(events + at);
        opened_ = opened_ || (event->mask & IN_ISDIR) != 0;
        at += ssize_t(sizeof(inotify_event) + event->len);
      }
    return opened_;
  }

 private:
  int fd_;
  bool valid_ = false;
  bool opened_ = false;
};

QString mapsOf(const QProcess& process) {
  QFile file(QString("/proc/%1/maps").arg(process.processId()));
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

class TestInstallLayout : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void programStartsThroughItsLink_data();
  void programStartsThroughItsLink();

 private:
  QTemporaryDir prefix_;
};

void TestInstallLayout::initTestCase() {
  QVERIFY2(prefix_.isValid(), qPrintable(prefix_.errorString()));
  QProcess install;
  install.setProcessChannelMode(QProcess::MergedChannels);
  install.start(PT_CMAKE_COMMAND, {"--install", PT_BINARY_DIR, "--prefix", prefix_.path()});
  QVERIFY2(install.waitForFinished(120000) && install.exitCode() == 0, install.readAll().data());
}

void TestInstallLayout::programStartsThroughItsLink_data() {
  QTest::addColumn<QString>("program");
  QTest::newRow("rotaskiv") << "rotaskiv";
  QTest::newRow("gridorm") << "gridorm";
  QTest::newRow("glyphant") << "glyphant";
}

void TestInstallLayout::programStartsThroughItsLink() {
  QFETCH(QString, program);
  // A relative link, so the tree can move, out of the binary folder.
  const QString link = QDir(prefix_.path()).filePath("bin/" + program);
  char target[4096] = {};
  QVERIFY2(readlink(QFile::encodeName(link).constData(), target, sizeof target - 1) > 0,
           qPrintable(link + " is no link"));
  QVERIFY2(QDir::isRelativePath(QFile::decodeName(target)), target);
  const QString folder = QFileInfo(link).canonicalPath();
  QVERIFY2(!folder.endsWith("/bin"), qPrintable(folder));

  FolderWatch patterns(folder + "/textures");
  if (program == "glyphant")
    QVERIFY2(patterns.valid(), qPrintable("no pattern folder in " + folder));
  QProcess running;
  running.start(link);
  QVERIFY2(running.waitForStarted(), qPrintable(running.errorString()));
  if (program == "rotaskiv")
    QTRY_VERIFY2_WITH_TIMEOUT(mapsOf(running).contains(folder + "/librotate.so"),
                              "librotate.so was not loaded from beside the program", 20000);
  if (program == "glyphant")
    QTRY_VERIFY2_WITH_TIMEOUT(patterns.opened(), "the pattern folder was not listed", 20000);
  QTest::qWait(2000);
  QVERIFY2(running.state() == QProcess::Running, running.readAllStandardError().data());
  running.kill();
  running.waitForFinished();
}

QTEST_MAIN(TestInstallLayout)
#include "tst_install_layout.moc"
