#include "common/picture_load_job.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QThreadPool>
#include <QWidget>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <utility>

#include "common/cursor_override.h"

namespace {

int loadsUnderWay = 0;

}  // namespace

PictureLoadJob::PictureLoadJob(QWidget* window, Loader loader)
    : QObject(window), window_(window), loader_(std::move(loader)) {
  if (!loader_)
    loader_ = [](const QString& path, LoadTracking& tracking) {
      return loadPicture(path, &tracking);
    };
  progressDelay_.setSingleShot(true);
  progressDelay_.setInterval(kProgressDelayMs);
  connect(&progressDelay_, &QTimer::timeout, this, &PictureLoadJob::showProgress);
  progressStep_.setInterval(kProgressStepMs);
  connect(&progressStep_, &QTimer::timeout, this, &PictureLoadJob::updateProgress);
}

PictureLoadJob::~PictureLoadJob() { cancel(); }

int PictureLoadJob::underWay() { return loadsUnderWay; }

QThreadPool& PictureLoadJob::workers() {
  // The load in hand, and one given up that has yet to reach its next read.
  constexpr int kWorkers = 2;
  static QThreadPool* pool = [] {
    auto* threads = new QThreadPool(QCoreApplication::instance());
    threads->setMaxThreadCount(kWorkers);
    return threads;
  }();
  return *pool;
}

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
    tracking_->stop.store(true);
    watcher_->disconnect(this);
    watcher_->deleteLater();
  } else {
    ++loadsUnderWay;
    cursorBefore_ = cursor_override::current();
    cursor_override::set(Qt::BusyCursor);
    progressDelay_.start();
  }
  path_ = path;
  fileSize_ = QFileInfo(path).size();
  done_ = std::move(done);
  tracking_ = std::make_shared<LoadTracking>();
  watcher_ = new QFutureWatcher<LoadedPicture>(this);
  connect(watcher_, &QFutureWatcherBase::finished, this, &PictureLoadJob::deliver);
  watcher_->setFuture(QtConcurrent::run(&workers(), [loader = loader_, path, tracking = tracking_] {
    return loader(path, *tracking);
  }));
  if (progress_) {
    progress_->setLabelText(tr("正在打开图片“%1”……").arg(QFileInfo(path).fileName()));
    updateProgress();
  }
}

void PictureLoadJob::cancel() {
  if (!busy()) return;
  tracking_->stop.store(true);
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
                                  tr("取消"), 0, 100, window_);
  progress_->setWindowTitle(window_->windowTitle());
  progress_->setAutoReset(false);
  progress_->setAutoClose(false);
  // Left as it is, the dialog would show itself again after its own delay.
  progress_->setMinimumDuration(0);
  connect(progress_, &QProgressDialog::canceled, this, &PictureLoadJob::cancel);
  updateProgress();
  progress_->show();
  // As the window system would give a new dialog the focus: a skin attaches
  // to a dialog over its window when it becomes active.
  progress_->activateWindow();
  progressStep_.start();
}

void PictureLoadJob::updateProgress() {
  const qint64 read = tracking_->readUpTo.load(std::memory_order_relaxed);
  progress_->setValue(fileSize_ > 0 ? int(std::clamp<qint64>(read * 100 / fileSize_, 0, 100)) : 0);
}

void PictureLoadJob::finish() {
  // The watcher may be inside its own signal: it goes once that returns.
  watcher_->disconnect(this);
  std::exchange(watcher_, nullptr)->deleteLater();
  tracking_.reset();
  progressDelay_.stop();
  progressStep_.stop();
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
