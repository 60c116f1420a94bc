#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

#include "common/job_tracking.h"

template <typename T>
class QFutureWatcher;
class QThreadPool;
class QProgressDialog;
class QWidget;

// Runs one long piece of a window's work on a worker thread, so that the
// window keeps painting and answering meanwhile. The busy pointer shows at
// once; work that lasts longer than a moment shows a progress window over
// the window, with how far it has come and a cancel. The work computes on
// copies and returns what to do with its result; that runs on the window's
// thread. A cancelled job, one replaced by a newer one and one whose window
// has gone reach nobody and change nothing.
class BackgroundJob final : public QObject {
  Q_OBJECT

 public:
  // What the work hands back, to run on the window's thread.
  using Deliver = std::function<void()>;
  struct Task {
    QString label;  // in the progress window
    // Runs on the worker; returns what to do with its result.
    std::function<Deliver(JobTracking&)> work;
    // Shared with the work; made when not given.
    std::shared_ptr<JobTracking> tracking;
    // How far the work has come, asked on the window's thread; the
    // tracking's percent when not given.
    std::function<int()> percent;
    // Whether the window ignores mouse and key input while the work runs,
    // for work whose result would undo what such input did meanwhile.
    bool holdInput = false;
  };

  // Owned by `window`; the progress window opens over it.
  explicit BackgroundJob(QWidget* window);
  ~BackgroundJob() override;

  // Starts `task`; a job still under way is given up for it.
  void start(Task task);
  // Gives up the job under way, if any: its result goes nowhere.
  void cancel();
  bool busy() const { return watcher_ != nullptr; }

  // How many jobs are under way in the program; tests wait for none.
  static int underWay();
  // The threads that work, apart from Qt's global pool: Qt paints large
  // areas with the global pool's help and waits for it, so long work there
  // would hold the window up. Waits for its work when the program ends.
  static QThreadPool& workers();
  // Lets go of `value` (a picture, or what holds pictures) on a worker, a
  // moment later: giving the pages of a large picture back to the system
  // holds up the thread that lets go of it last, and while it does, any
  // other thread of the program that takes or gives back memory waits; by
  // then the window has painted what replaced it.
  template <typename T>
  static void release(T value) {
    letGo([held = std::make_shared<T>(std::move(value))]() mutable { held.reset(); });
  }

  // How long a job goes on before its progress window shows, and how often
  // the window shows how far it has come.
  static constexpr int kProgressDelayMs = 300;
  static constexpr int kProgressStepMs = 100;
  static constexpr int kReleaseDelayMs = 250;

 signals:
  // The job under way ended: its result used, or cancelled. Not for a job
  // replaced by a newer one, nor when the window goes.
  void ended();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  static void letGo(std::function<void()> drop);
  void deliver();
  void showProgress();
  void updateProgress();
  void finish();

  QWidget* window_;
  Task task_;
  QFutureWatcher<Deliver>* watcher_ = nullptr;  // a child, while a job is under way
  QTimer progressDelay_, progressStep_;
  QPointer<QProgressDialog> progress_;
  // The pointer shape before the busy one, given back when the job ends.
  std::optional<Qt::CursorShape> cursorBefore_;
};
