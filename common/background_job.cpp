#include "common/background_job.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QProgressDialog>
#include <QThreadPool>
#include <QWidget>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <utility>

#include "common/cursor_override.h"

namespace {

int jobsUnderWay = 0;

// Input that could start another operation on the window.
bool isInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Wheel:
    case QEvent::InputMethod:
    case QEvent::ContextMenu:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace

BackgroundJob::BackgroundJob(QWidget* window) : QObject(window), window_(window) {
  progressDelay_.setSingleShot(true);
  progressDelay_.setInterval(kProgressDelayMs);
  connect(&progressDelay_, &QTimer::timeout, this, &BackgroundJob::showProgress);
  progressStep_.setInterval(kProgressStepMs);
  connect(&progressStep_, &QTimer::timeout, this, &BackgroundJob::updateProgress);
}

BackgroundJob::~BackgroundJob() {
  // Quietly: whoever listens may be part of the window that is going.
  if (!busy()) return;
  task_.tracking->stop.store(true);
  finish();
}

int BackgroundJob::underWay() { return jobsUnderWay; }

QThreadPool& BackgroundJob::workers() {
  // The job in hand, and one given up that has yet to notice.
  constexpr int kWorkers = 2;
  static QThreadPool* pool = [] {
    auto* threads = new QThreadPool(QCoreApplication::instance());
    threads->setMaxThreadCount(kWorkers);
    return threads;
  }();
  return *pool;
}

void BackgroundJob::letGo(std::function<void()> drop) {
  QTimer::singleShot(kReleaseDelayMs, QCoreApplication::instance(),
                     [drop = std::move(drop)] { workers().start(drop); });
}

void BackgroundJob::start(Task task) {
  if (busy()) {
    // The worker may notice and end early; what it returns goes nowhere.
    task_.tracking->stop.store(true);
    watcher_->disconnect(this);
    watcher_->deleteLater();
    if (task_.holdInput) QCoreApplication::instance()->removeEventFilter(this);
  } else {
    ++jobsUnderWay;
    cursorBefore_ = cursor_override::current();
    cursor_override::set(Qt::BusyCursor);
    progressDelay_.start();
  }
  if (!task.tracking) task.tracking = std::make_shared<JobTracking>();
  if (!task.percent)
    task.percent = [tracking = task.tracking.get()] { return tracking->percent.load(); };
  // The work and what it was given go with the worker, and no further than it.
  auto work = std::exchange(task.work, nullptr);
  task_ = std::move(task);
  if (task_.holdInput) QCoreApplication::instance()->installEventFilter(this);
  watcher_ = new QFutureWatcher<Deliver>(this);
  connect(watcher_, &QFutureWatcherBase::finished, this, &BackgroundJob::deliver);
  watcher_->setFuture(
      QtConcurrent::run(&workers(), [work = std::move(work), tracking = task_.tracking]() mutable {
        Deliver result = work(*tracking);
        work = nullptr;  // before the window has the result, not after
        return result;
      }));
  if (progress_) {
    progress_->setLabelText(task_.label);
    updateProgress();
  }
}

void BackgroundJob::cancel() {
  if (!busy()) return;
  task_.tracking->stop.store(true);
  finish();
  emit ended();
}

void BackgroundJob::deliver() {
  // Taken, not copied: a picture in the result then has one owner, which
  // can draw on it without copying it first.
  Deliver result = watcher_->future().takeResult();
  // The window is answering again before the result is used, which may
  // show a message.
  finish();
  if (result) result();
  emit ended();
}

bool BackgroundJob::eventFilter(QObject* watched, QEvent* event) {
  // The window and everything in it, but not the progress window (a window
  // of its own, which isAncestorOf does not reach).
  auto* widget = qobject_cast<QWidget*>(watched);
  return widget != nullptr && isInput(event->type()) &&
         (widget == window_ || window_->isAncestorOf(widget));
}

void BackgroundJob::showProgress() {
  progress_ = new QProgressDialog(task_.label, tr("取消"), 0, 100, window_);
  progress_->setWindowTitle(window_->windowTitle());
  progress_->setAutoReset(false);
  progress_->setAutoClose(false);
  // Left as it is, the dialog would show itself again after its own delay.
  progress_->setMinimumDuration(0);
  connect(progress_, &QProgressDialog::canceled, this, [this] {
    cancel();
    // The user was in the progress window, which has already hidden itself.
    window_->activateWindow();
  });
  updateProgress();
  progress_->show();
  // As the window system would give a new dialog the focus: a skin attaches
  // to a dialog over its window when it becomes active.
  progress_->activateWindow();
  progressStep_.start();
}

void BackgroundJob::updateProgress() { progress_->setValue(std::clamp(task_.percent(), 0, 100)); }

void BackgroundJob::finish() {
  // The watcher may be inside its own signal: it goes once that returns.
  watcher_->disconnect(this);
  std::exchange(watcher_, nullptr)->deleteLater();
  if (task_.holdInput) QCoreApplication::instance()->removeEventFilter(this);
  // What the work was given goes now, not with the next job.
  task_ = {};
  progressDelay_.stop();
  progressStep_.stop();
  if (progress_) {
    // The window it was over takes the focus back, where the user left it;
    // a window system without a manager would leave it nowhere.
    const bool active = progress_->isActiveWindow();
    progress_->hide();
    progress_->deleteLater();
    if (active) window_->activateWindow();
  }
  if (cursor_override::current() == Qt::BusyCursor) {
    if (cursorBefore_)
      cursor_override::set(*cursorBefore_);
    else
      cursor_override::reset();
  }
  --jobsUnderWay;
}
