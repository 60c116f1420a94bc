// The installed tree as a desktop starts it: each program through its link in
// the binary folder, finding what it needs beside its own file.
#include <unistd.h>

#include <QtTest>  // and with it all of QtCore

class TestInstallLayout : public QObject {
  Q_OBJECT

  QTemporaryDir prefix_;

 private slots:
  void initTestCase() {
    QVERIFY2(prefix_.isValid(), qPrintable(prefix_.errorString()));
    QProcess install;
    install.setProcessChannelMode(QProcess::MergedChannels);
    install.start(PT_CMAKE_COMMAND, {"--install", PT_BINARY_DIR, "--prefix", prefix_.path()});
    QVERIFY2(install.waitForFinished(120000) && install.exitCode() == 0, install.readAll().data());
  }

  void programStartsThroughItsLink_data() {
    QTest::addColumn<QString>("program");
    for (const char* program : {"rotaskiv", "gridorm", "glyphant"})
      QTest::newRow(program) << QString(program);
  }

  void programStartsThroughItsLink() {
    QFETCH(QString, program);
    // A relative link, so the tree can move, out of the binary folder.
    const QString link = QDir(prefix_.path()).filePath("bin/" + program);
    char target[4096] = {};
    QVERIFY2(readlink(QFile::encodeName(link).constData(), target, sizeof target - 1) > 0,
             qPrintable(link + " is no link"));
    QVERIFY2(QDir::isRelativePath(QFile::decodeName(target)), target);
    const QString folder = QFileInfo(link).canonicalPath();
    QVERIFY2(!folder.endsWith("/bin"), qPrintable(folder));
    // Glyphant lists the patterns of the folder "textures" beside its file.
    if (program == "glyphant")
      QVERIFY2(!QDir(folder + "/textures").entryList({"*.jpg", "*.bmp", "*.gif"}).isEmpty(),
               qPrintable("no patterns beside " + link));

    QProcess running;
    running.start(link);
    QVERIFY2(running.waitForStarted(), qPrintable(running.errorString()));
    const auto maps = [&] {  // the files the program has mapped
      QFile file(QString("/proc/%1/maps").arg(running.processId()));
      return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    if (program == "rotaskiv")
      QTRY_VERIFY2_WITH_TIMEOUT(maps().contains(folder + "/librotate.so"),
                                "librotate.so was not loaded from beside the program", 20000);
    QTest::qWait(2000);
    QVERIFY2(running.state() == QProcess::Running, running.readAllStandardError().data());
    running.kill();
    running.waitForFinished();
  }
};

QTEST_MAIN(TestInstallLayout)
#include "tst_install_layout.moc"
