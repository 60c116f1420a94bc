#include "common/picture_load_job.h"

#include <QFileInfo>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QWidget>
#include <QtConcurrent/QtConcurrentRun>
#include <utility>

#include "common/cursor_override.h"

namespace {

int loadsUnderWay = 0;

}  // namespace

PictureLoadJob::PictureLoadJob(QWidget* window, Loader loader)
    : QObject(window), window_(window), loader_(std::move(loader)) {
  if (!loader_)
    loader_ = [](const QString& path, const std::atomic_bool& stop) {
      return loadPicture(path, &stop);
    };
  progressDelay_.setSingleShot(true);
  progressDelay_.setInterval(kProgressDelayMs);
  connect(&progressDelay_, &QTimer::timeout, this, &PictureLoadJob::showProgress);
}

PictureLoadJob::~PictureLoadJob() { cancel(); }

int PictureLoadJob::underWay() { return loadsUnderWay; }

void PictureLoadJob::start(const QString& path, Done done) {
  // Asked of the file system before anything opens the file: opening a pipe
  // waits for a writer, and a device may never end.
  if (const QString problem = pictureFileProblem(path); !problem.isEmpty()) {
    LoadedPicture refused;
    refused.error = problem;
    done(refused);
    return;
  }
  if (busy()) {
    // The worker's next read fails, and what it returns goes nowhere.
    stop_->store(true);
    watcher_->disconnect(this);
    watcher_->deleteLater();
  } else {
    ++loadsUnderWay;
    cursorBefore_ = cursor_override::current();
    cursor_override::set(Qt::BusyCursor);
    progressDelay_.start();
  }
  path_ = path;
  done_ = std::move(done);
  stop_ = std::make_shared<std::atomic_bool>(false);
  watcher_ = new QFutureWatcher<LoadedPicture>(this);
  connect(watcher_, &QFutureWatcherBase::finished, this, &PictureLoadJob::deliver);
  watcher_->setFuture(
      QtConcurrent::run([loader = loader_, path, stop = stop_] { return loader(path, *stop); }));
  if (progress_) progress_->setLabelText(tr("正在打开图片“%1”……").arg(QFileInfo(path).fileName()));
}

void PictureLoadJob::cancel() {
  if (!busy()) return;
  stop_->store(true);
  done_ = nullptr;
  finish();
}

void PictureLoadJob::deliver() {
  const LoadedPicture result = watcher_->result();
  const Done done = std::move(done_);
  // The window is answering again before the callback runs, which may show a message.
  finish();
  done(result);
}

void PictureLoadJob::showProgress() {
  progress_ = new QProgressDialog(tr("正在打开图片“%1”……").arg(QFileInfo(path_).fileName()),
                                  tr("取消"), 0, 0, window_);
  progress_->setWindowTitle(window_->windowTitle());
  progress_->setAutoReset(false);
  progress_->setAutoClose(false);
  // Left as it is, the dialog would show itself again after its own delay.
  progress_->setMinimumDuration(0);
  connect(progress_, &QProgressDialog::canceled, this, &PictureLoadJob::cancel);
  progress_->show();
}

void PictureLoadJob::finish() {
  // The watcher may be inside its own signal: it goes once that returns.
  watcher_->disconnect(this);
  std::exchange(watcher_, nullptr)->deleteLater();
  stop_.reset();
  progressDelay_.stop();
  if (progress_) {
    progress_->hide();
    progress_->deleteLater();
  }
  if (cursor_override::current() == Qt::BusyCursor) {
    if (cursorBefore_)
      cursor_override::set(*cursorBefore_);
    else
      cursor_override::reset();
  }
  --loadsUnderWay;
}
