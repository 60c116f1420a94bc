#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "common/picture_loader.h"

class BackgroundJob;
class QThreadPool;
class QWidget;

// Opens pictures for one window on a worker thread (a BackgroundJob), so
// that the window keeps painting and answering while a large picture
// decodes. The pointer shows that the program is busy at once; a load that
// lasts longer than a moment shows a progress window over the window, with
// how much of the file is read and a cancel. The result reaches a callback
// on the window's thread. A cancelled load, one replaced by a newer one and
// one whose window has gone reach nobody and change nothing.
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

  // Loads `path` and hands the outcome to `done`. A load still under way is
  // given up for this one. A path that is no regular file is refused at
  // once: `done` runs before start returns, and the load under way goes on.
  void start(const QString& path, Done done);
  // Gives up the load under way, if any: its callback never runs.
  void cancel();
  bool busy() const;

  // How many loads (and other background jobs) are under way in the
  // program; tests wait for none.
  static int underWay();
  // The threads that decode: BackgroundJob::workers().
  static QThreadPool& workers();

 private:
  BackgroundJob* job_;
  Loader loader_;
};
