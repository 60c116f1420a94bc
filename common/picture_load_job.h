#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>

#include "common/picture_loader.h"

template <typename T>
class QFutureWatcher;
class QProgressDialog;
class QThreadPool;
class QWidget;

// Opens pictures for one window on a worker thread, so that the window keeps
// painting and answering while a large picture decodes. The pointer shows
// that the program is busy at once; a load that lasts longer than a moment
// shows a progress window over the window, with how much of the file is read
// and a cancel. The result reaches
// a callback on the window's thread. A cancelled load, one replaced by a
// newer one and one whose window has gone reach nobody and change nothing.
class PictureLoadJob final : public QObject {
  Q_OBJECT

 public:
  // Reads the picture at a path, telling how far it has read; returns early,
  // with any result, once told to stop.
  using Loader = std::function<LoadedPicture(const QString& path, LoadTracking& tracking)>;
  using Done = std::function<void(const LoadedPicture&)>;

  // Owned by `window`; the progress window opens over it. Without a loader,
  // loadPicture reads.
  explicit PictureLoadJob(QWidget* window, Loader loader = {});
  ~PictureLoadJob() override;

  // Loads `path` and hands the outcome to `done`. A load still under way is
  // given up for this one. A path that is no regular file is refused at
  // once: `done` runs before start returns, and the load under way goes on.
  void start(const QString& path, Done done);
  // Gives up the load under way, if any: its callback never runs.
  void cancel();
  bool busy() const { return watcher_ != nullptr; }

  // How many loads are under way in the program; tests wait for none.
  static int underWay();
  // The threads that decode, apart from Qt's global pool: Qt paints large
  // areas with the global pool's help and waits for it, so a decode there
  // would hold the window up. Waits for its work when the program ends.
  static QThreadPool& workers();

  // How long a load goes on before its progress window shows, and how often
  // the window shows how far it has come.
  static constexpr int kProgressDelayMs = 300;
  static constexpr int kProgressStepMs = 100;

 private:
  void deliver();
  void showProgress();
  void updateProgress();
  void finish();

  QWidget* window_;
  Loader loader_;
  Done done_;
  QString path_;
  qint64 fileSize_ = 0;
  // Shared with the worker, which may outlive this job by the rest of a read.
  std::shared_ptr<LoadTracking> tracking_;
  QFutureWatcher<LoadedPicture>* watcher_ = nullptr;  // a child, while a load is under way
  QTimer progressDelay_, progressStep_;
  QPointer<QProgressDialog> progress_;
  // The pointer shape before the busy one, given back when the load ends.
  std::optional<Qt::CursorShape> cursorBefore_;
};
