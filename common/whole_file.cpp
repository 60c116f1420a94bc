#include "common/whole_file.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <cerrno>
#include <cstring>

namespace {

QString text(const char* source) { return QCoreApplication::translate("WholeFile", source); }

// The error a disk would give for `fileName` now, when the failed call left
// none: full or read-only, or 0 when neither.
int diskError(const QString& fileName) {
  struct statvfs disk {};
  const QByteArray folder = QFile::encodeName(QFileInfo(fileName).absolutePath());
  if (statvfs(folder.constData(), &disk) != 0) return 0;
  if ((disk.f_flag & ST_RDONLY) != 0) return EROFS;
  return disk.f_bavail == 0 ? ENOSPC : 0;
}

}  // namespace

bool WholeFile::open(OpenMode mode) {
  reason_.clear();
  // QSaveFile refuses a folder without a system error to tell why.
  if (QFileInfo(fileName()).isDir()) {
    reason_ = writeFailureCause(EISDIR, fileName());
    return false;
  }
  errno = 0;
  if (QSaveFile::open(mode)) return true;
  fail();
  return false;
}

qint64 WholeFile::writeData(const char* data, qint64 length) {
  if (!reason_.isEmpty()) return -1;
  errno = 0;
  const qint64 written = QSaveFile::writeData(data, length);
  if (written == length) return written;
  fail();
  return -1;
}

bool WholeFile::commit() {
  if (!isOpen()) return false;
  errno = 0;
  if (reason_.isEmpty() && !flush()) fail();
  // Some file systems only find the disk full when the data goes out to it;
  // one that cannot sync at all (EINVAL) has nothing to report.
  if (reason_.isEmpty() && handle() >= 0 && fsync(handle()) != 0 && errno != EINVAL) fail();
  if (!reason_.isEmpty()) {
    cancelWriting();
    QSaveFile::commit();  // removes the temporary file
    return false;
  }
  errno = 0;
  if (QSaveFile::commit()) return true;
  fail();
  return false;
}

void WholeFile::fail() {
  const int error = errno;
  if (reason_.isEmpty()) reason_ = writeFailureCause(error, fileName());
}

QString writeWholeFile(const QString& fileName, const QByteArray& bytes) {
  WholeFile file(fileName);
  if (file.open()) {
    file.write(bytes);
    file.commit();
  }
  return file.reason();
}

QString writeFailureCause(int error, const QString& fileName) {
  if (error == 0) error = diskError(fileName);
  switch (error) {
    case ENOSPC:
      return text("磁盘已满");
    case EDQUOT:
      return text("磁盘配额已用完");
    case EROFS:
      return text("磁盘是只读的");
    case EACCES:
    case EPERM:
      return text("没有写入这里的权限");
    case ENOENT:
      return text("文件夹不存在");
    case ENOTDIR:
      return text("路径中有一项不是文件夹");
    case EISDIR:
      return text("已有同名的文件夹");
    case ENAMETOOLONG:
      return text("文件名太长");
    case EFBIG:
      return text("文件太大，这个磁盘存不下");
    case EIO:
      return text("磁盘读写出错");
    case 0:
      return text("写入失败");
    default:
      return text("系统错误 %1（%2）").arg(error).arg(QString::fromLocal8Bit(std::strerror(error)));
  }
}
