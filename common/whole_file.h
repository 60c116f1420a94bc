#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

// A file written whole or not at all: it goes to a temporary file beside the
// target, which takes the target's place only once every byte is on the disk.
//
// QSaveFile alone does not make that promise when the disk fills up: a write
// that stores only part of what it was given is not an error to it, and
// neither is a last buffer that cannot be flushed when it commits, so it
// renames a truncated file over the old one and reports success. Encoders
// that write to a device (the PDF writer, image plugins) do not check every
// write either. Here any short write, failed flush or failed sync makes the
// whole file fail, and the reason is kept in the user's words.
class WholeFile : public QSaveFile {
 public:
  explicit WholeFile(const QString& fileName) : QSaveFile(fileName) {}

  // Creates the temporary file; false, with reason() set, when it cannot be.
  bool open(OpenMode mode = QIODevice::WriteOnly) override;
  // Puts the file in its place when everything written reached the disk;
  // otherwise removes the temporary file, keeping any older file of that
  // name, and returns false with reason() set.
  bool commit();
  // Why the file could not be written ("磁盘已满"); empty while nothing failed.
  QString reason() const { return reason_; }

 protected:
  qint64 writeData(const char* data, qint64 length) override;

 private:
  // Keeps the first failure's cause, from errno as the failed call left it.
  void fail();

  QString reason_;
};

// Writes `bytes` to `fileName` through a WholeFile. Returns why it could not,
// or an empty text when the file was written.
QString writeWholeFile(const QString& fileName, const QByteArray& bytes);

// Why writing `fileName` failed, from the error number a system call gave,
// in the user's words. Without a number (0) the file's folder is looked at
// for a full or read-only disk.
QString writeFailureCause(int error, const QString& fileName);
