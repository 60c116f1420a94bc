#pragma once

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>

// A folder where saving fails as it does on a user's machine, holding an
// older file of the name to be saved:
//   "full"           a small disk (tmpfs) filled up but for one page (4 KiB),
//                    so that a larger file fails part way through;
//   "read-only"      a disk mounted read-only;
//   "no permission"  a folder its user may not write in.
// The disks need root to mount, and root may write in any folder: where a
// fault cannot be made, skipReason() says why.
class DiskFault {
 public:
  static QStringList kinds() { return {"full", "read-only", "no permission"}; }

  DiskFault(const QString& kind, const QString& name) : kind_(kind), name_(name) { skip_ = make(); }
  ~DiskFault() {
    if (mounted_) umount2(QFile::encodeName(dir_.path()).constData(), MNT_DETACH);
    QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

  QString skipReason() const { return skip_; }
  QString filePath() const { return dir_.filePath(name_); }
  // What the user is told the cause is.
  QString cause() const {
    return kind_ == "full"        ? "磁盘已满"
           : kind_ == "read-only" ? "磁盘是只读的"
                                  : "没有写入这里的权限";
  }
  // What the folder holds: "kept" when that is the older file as it was and
  // the filler, and nothing else; otherwise its files.
  QString left() const {
    QFile older(filePath());
    QStringList files =
        QDir(dir_.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    files.removeOne("filler");
    const bool kept = older.open(QIODevice::ReadOnly) && older.readAll() == kOlder;
    return kept && files == QStringList{name_} ? "kept" : files.join(' ');
  }

 private:
  // Makes the fault; why it cannot be made, or nothing.
  QString make() {
    const QByteArray folder = QFile::encodeName(dir_.path());
    if (kind_ == "no permission" && geteuid() == 0) return "root may write in any folder";
    if (kind_ != "no permission" && mount("tmpfs", folder, "tmpfs", 0, "size=64k") != 0)
      return QString("mounting a disk (tmpfs): ") + std::strerror(errno);
    mounted_ = kind_ != "no permission";
    QFile older(filePath());
    if (!older.open(QIODevice::WriteOnly) || older.write(kOlder) != kOlder.size())
      return "the older file cannot be written";
    older.close();
    if (kind_ == "full") fill();
    if (kind_ == "read-only" && mount(nullptr, folder, nullptr, MS_REMOUNT | MS_RDONLY, nullptr))
      return "the disk cannot be made read-only";
    if (kind_ == "no permission")
      QFile::setPermissions(dir_.path(), QFile::ReadOwner | QFile::ExeOwner);
    return {};
  }
  // Takes all the room on the disk but one page.
  void fill() {
    struct statvfs disk {};
    statvfs(QFile::encodeName(dir_.path()).constData(), &disk);
    QFile filler(dir_.filePath("filler"));
    filler.open(QIODevice::WriteOnly);
    filler.write(QByteArray(qint64(disk.f_bavail - 1) * qint64(disk.f_frsize), 'f'));
  }

  inline static const QByteArray kOlder = "the older file";
  QTemporaryDir dir_;
  QString kind_, name_, skip_;
  bool mounted_ = false;
};

#define SKIP_UNLESS_MADE(fault)        \
  if (!(fault).skipReason().isEmpty()) \
  QSKIP(qPrintable("no such disk here: " + (fault).skipReason()))
