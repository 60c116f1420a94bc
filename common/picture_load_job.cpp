#include "common/picture_load_job.h"

#include <QFileInfo>
#include <QWidget>
#include <algorithm>
#include <memory>
#include <utility>

#include "common/background_job.h"

PictureLoadJob::PictureLoadJob(QWidget* window, Loader loader)
    : QObject(window), job_(new BackgroundJob(window)), loader_(std::move(loader)) {
  if (!loader_)
    loader_ = [](const QString& path, LoadTracking& tracking) {
      return loadPicture(path, &tracking);
    };
}

bool PictureLoadJob::busy() const { return job_->busy(); }

int PictureLoadJob::underWay() { return BackgroundJob::underWay(); }

QThreadPool& PictureLoadJob::workers() { return BackgroundJob::workers(); }

void PictureLoadJob::start(const QString& path, Done done) {
  // Asked of the file system before anything opens the file: opening a pipe
  // waits for a writer, and a device may never end.
  if (const QString problem = pictureFileProblem(path); !problem.isEmpty()) {
    LoadedPicture refused;
    refused.error = problem;
    done(refused);
    return;
  }
  auto tracking = std::make_shared<LoadTracking>();
  const qint64 fileSize = QFileInfo(path).size();
  BackgroundJob::Task task;
  task.label = tr("正在打开图片“%1”……").arg(QFileInfo(path).fileName());
  task.work = [loader = loader_, path, tracking, done = std::move(done)](JobTracking&) {
    const LoadedPicture loaded = loader(path, *tracking);
    return BackgroundJob::Deliver([done, loaded] { done(loaded); });
  };
  task.percent = [tracking, fileSize] {
    const qint64 read = tracking->readUpTo.load(std::memory_order_relaxed);
    return fileSize > 0 ? int(std::clamp<qint64>(read * 100 / fileSize, 0, 100)) : 0;
  };
  task.tracking = std::move(tracking);
  job_->start(std::move(task));
}

void PictureLoadJob::cancel() { job_->cancel(); }
