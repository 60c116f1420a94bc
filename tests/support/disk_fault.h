#pragma once

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>

#include "tests/support/test_helpers.h"

// A folder where saving fails as it does on a user's machine, holding an
// older file of the name to be saved: "full", a disk (tmpfs) of two pages,
// the older file's and one more, so that a larger file fails part way;
// "read-only", that disk mounted read-only; "no permission", a folder its
// user may not write in. Mounting needs root, and root may write in any
// folder: a test whose fault cannot be made here skips, saying why.
class DiskFault {
 public:
  // The column "fault" of a test's data: each fault for each file name.
  static void addRows(const QStringList& names) {
    QTest::addColumn<QStringList>("fault");
    for (const char* kind : {"full", "read-only", "no permission"})
      for (const QString& name : names)
        QTest::addRow("%s, %s", kind, qPrintable(name)) << QStringList{kind, name};
  }

  // A row of that column: the fault and the file's name.
  explicit DiskFault(const QStringList& row) : kind_(row[0]), file(dir_.filePath(row[1])) {}
  ~DiskFault() { umount2(folder_.constData(), MNT_DETACH), chmod(folder_.constData(), 0700); }

  // Makes the fault; why it cannot be made here, or nothing.
  QString make() {
    const bool forbid = kind_ == "no permission";
    if (forbid ? geteuid() == 0 : mount("tmpfs", folder_.constData(), "tmpfs", 0, "size=8k") != 0)
      return forbid ? "root may write in any folder" : "mounting a disk (tmpfs) needs root";
    if (!written(file, "older")) return "the older file cannot be written";
    if (forbid) chmod(folder_.constData(), 0500);
    if (kind_ == "read-only")
      mount(nullptr, folder_.constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr);
    return {};
  }
  // The cause the user is told.
  QString cause() const {
    return kind_ == "full"        ? "磁盘已满"
           : kind_ == "read-only" ? "磁盘是只读的"
                                  : "没有写入这里的权限";
  }
  // Whether the older file is as it was and alone in its folder.
  bool kept() const {
    QFile older(file);
    return older.open(QIODevice::ReadOnly) && older.readAll() == "older" &&
           QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden) ==
               QStringList{QFileInfo(file).fileName()};
  }

 private:
  QTemporaryDir dir_;
  const QByteArray folder_ = QFile::encodeName(dir_.path());
  const QString kind_;

 public:
  const QString file;  // the older file's, and the one to save
};

#define MAKE_OR_SKIP(fault) \
  if (const QString why = (fault).make(); !why.isEmpty()) QSKIP(qPrintable(why))
