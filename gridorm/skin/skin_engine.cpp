#include "gridorm/skin/skin_engine.h"

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QApplication>
#include <QHeaderView>
#include <QPushButton>

#include "gridorm/skin/skin_geometry.h"
#include "gridorm/skin/skin_properties.h"
#include "gridorm/skin/skin_style.h"
#include "gridorm/skin/skinner.h"

namespace {

using namespace skin;

// Installed on every attached widget: the engine's window procedure.
class SkinFilter final : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    return watched->isWidgetType() && SkinWindowProc(static_cast<QWidget*>(watched), event);
  }
};

// Installed on the application while the engine is initialised: attaches a
// combo box's list when it opens and a dialog of a skinned window when it
// becomes active (the window system tells a dialog's owner when the dialog
// waits for input; Qt does not), and remembers which window was active
// before the current one.
class ApplicationWatcher final : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    SkinEngine& engine = SkinEngine::instance();
    if (event->type() == QEvent::Show && isComboPopup(widget) &&
        engine.isAttached(widget->parentWidget()))
      AttachSkin(widget);
    else if (event->type() == QEvent::WindowActivate && widget->isWindow()) {
      engine.noteActivation(widget);
      if (engine.isAttached(widget->parentWidget())) AttachSkin(widget);
    }
    return false;
  }
};

// QAbstractScrollArea hands its viewport's events to itself through a
// filter of its own; this reaches the same handler.
struct ViewportAccess : QAbstractScrollArea {
  using QAbstractScrollArea::viewportEvent;
};

// The flags a push button had before attaching, kept in "OLDSTYLE".
enum SavedFlag { kTracking = 1, kHover = 2 };

}  // namespace

SkinEngine& SkinEngine::instance() {
  static SkinEngine engine;
  return engine;
}

void SkinEngine::ensureObjects() {
  // Parented to the application: they outlive every window they serve,
  // even one still being torn down after the engine went back to rest.
  if (!style_) style_ = new SkinStyle(*this, qApp);
  if (!filter_) filter_ = new SkinFilter(qApp);
  if (!watcher_) watcher_ = new ApplicationWatcher(qApp);
}

void SkinEngine::initialise() {
  ensureObjects();
  initialised_ = true;
  bitmaps_ = BuildSkinBitmaps();
  qApp->installEventFilter(watcher_);
  activeWindow_ = QApplication::activeWindow();
}

AttachedWidget* SkinEngine::record(const QWidget* widget) const {
  if (widget == nullptr || !widget->property(prop::kProcAddr).isValid()) return nullptr;
  const auto found = records_.find(widget);
  return found == records_.end() ? nullptr : found->second.get();
}

QStyle* SkinEngine::previousStyle(const QWidget* widget) const {
  QStyle* style = nullptr;
  if (widget != nullptr) {
    const auto found = records_.find(widget);
    style = found != records_.end() ? found->second->previousStyle.data() : widget->style();
  }
  // Never the skin itself: a widget it reached without being attached
  // (a parent handed it down) is served by the application's style.
  return style != nullptr && style != style_ ? style : QApplication::style();
}

QWidget* SkinEngine::skinTarget(QWidget* receiver) const {
  auto* header = qobject_cast<QHeaderView*>(receiver->parentWidget());
  if (header != nullptr && header->viewport() == receiver && isAttached(header)) return header;
  // An open combo list's view is laid over its white ring; the list paints
  // the ring over the view's viewport.
  auto* view = qobject_cast<QAbstractItemView*>(receiver->parentWidget());
  if (view != nullptr && view->viewport() == receiver && isComboPopup(view->parentWidget()) &&
      isAttached(view->parentWidget()))
    return view->parentWidget();
  return receiver;
}

QList<QWidget*> SkinEngine::controlsOf(const QWidget* widget) {
  QList<QWidget*> controls;
  for (QObject* child : widget->children()) {
    auto* control = qobject_cast<QWidget*>(child);
    if (control == nullptr || control->isWindow()) continue;
    controls << control << controlsOf(control);
  }
  return controls;
}

void SkinEngine::noteActivation(QWidget* window) {
  if (window == activeWindow_) return;
  previousActive_ = activeWindow_;
  activeWindow_ = window;
}

int SkinEngine::attach(QWidget* widget) {
  if (widget == nullptr || widget->property(prop::kProcAddr).isValid() ||
      records_.count(widget) != 0)
    return 0;
  ensureObjects();
  // The previous style settles the widget first, so that what is kept is
  // what detaching must give back.
  widget->ensurePolished();
  auto owned = std::make_unique<AttachedWidget>();
  AttachedWidget& record = *owned;
  record.family = familyOf(widget);
  if (widget->style() == style_) {
    // Handed down by a skinned parent (a button box passes its style on to
    // its buttons): what the widget had is what the parent had.
    record.previousStyle = previousStyle(widget->parentWidget());
    record.hadOwnStyle = record.previousStyle != QApplication::style();
  } else {
    record.previousStyle = widget->style();
    record.hadOwnStyle = widget->testAttribute(Qt::WA_SetStyle);
  }
  record.previousMask = widget->mask();
  record.previousTracking = widget->hasMouseTracking();
  record.previousHover = widget->testAttribute(Qt::WA_Hover);
  for (const char* name : prop::kAll)
    if (const QVariant value = widget->property(name); value.isValid())
      record.previousProperties.insert(name, value);
  records_[widget] = std::move(owned);

  // A form is attached after its controls.
  if (record.family == SkinFamily::Form)
    for (QWidget* control : controlsOf(widget)) attach(control);
  setUpFamily(widget, record);

  ++attachedCount_;
  widget->setProperty(prop::kProcAddr, QVariant::fromValue<QObject*>(record.previousStyle.data()));
  widget->installEventFilter(filter_);
  record.destroyedConnection = QObject::connect(widget, &QObject::destroyed, filter_,
                                                [this](QObject* gone) { forget(gone); });
  widget->setStyle(style_);
  if (tracksPointer(record.family)) widget->setMouseTracking(true);
  widget->update();
  return 1;
}

void SkinEngine::setUpFamily(QWidget* widget, AttachedWidget& record) {
  switch (record.family) {
    case SkinFamily::Button: {
      const int state = widget->isEnabled() ? kNormal : kDisabled;
      record.face = std::make_unique<ButtonFace>();
      if (bitmaps_)
        record.face->render(*bitmaps_, lookOf(*static_cast<QPushButton*>(widget)), state);
      prop::set(widget, prop::kOldStyle,
                (record.previousTracking ? kTracking : 0) | (record.previousHover ? kHover : 0));
      prop::set(widget, prop::kMouseFlag, 0);
      prop::set(widget, prop::kTimerId, 0);
      prop::set(widget, prop::kOldState, state);
      prop::set(widget, prop::kAlphaLevel, 0);
      widget->setMask(RoundedButtonRegion(widget->size()));
      break;
    }
    case SkinFamily::Combo:
    case SkinFamily::CheckBox:
    case SkinFamily::Option:
      prop::set(widget, prop::kMouseFlag, 0);
      prop::set(widget, prop::kOldState, kNormal);
      break;
    case SkinFamily::ComboList:
      if (auto* view = widget->findChild<QAbstractItemView*>()) {
        record.viewport = view->viewport();
        record.viewport->installEventFilter(filter_);
        record.viewport->update();
      }
      break;
    case SkinFamily::Header:
      prop::set(widget, prop::kMouseFlag, 0);
      prop::set(widget, prop::kHdIndex, -1);
      prop::set(widget, prop::kHmIndex, -1);
      // The header's mouse arrives at its viewport.
      record.viewport = static_cast<QHeaderView*>(widget)->viewport();
      record.viewport->installEventFilter(filter_);
      break;
    default:
      break;
  }
}

int SkinEngine::detach(QWidget* widget) {
  AttachedWidget* record = this->record(widget);
  if (record == nullptr) return 0;
  if (record->family == SkinFamily::Form)
    for (QWidget* control : controlsOf(widget)) detach(control);
  tearDownFamily(widget, *record);

  prop::remove(widget, prop::kProcAddr);
  widget->removeEventFilter(filter_);
  QObject::disconnect(record->destroyedConnection);
  // The style goes back while the record still answers for it.
  widget->setStyle(record->hadOwnStyle ? record->previousStyle.data() : nullptr);
  widget->setMouseTracking(record->previousTracking);
  widget->setAttribute(Qt::WA_Hover, record->previousHover);
  for (auto it = record->previousProperties.cbegin(); it != record->previousProperties.cend(); ++it)
    widget->setProperty(it.key().constData(), it.value());
  widget->update();
  records_.erase(widget);
  countDown();
  return 1;
}

void SkinEngine::tearDownFamily(QWidget* widget, AttachedWidget& record) {
  switch (record.family) {
    case SkinFamily::Button:
      if (const int timer = prop::get(widget, prop::kTimerId); timer != 0) widget->killTimer(timer);
      for (const char* name :
           {prop::kOldStyle, prop::kMouseFlag, prop::kTimerId, prop::kOldState, prop::kAlphaLevel})
        prop::remove(widget, name);
      record.face.reset();
      if (record.previousMask.isEmpty())
        widget->clearMask();
      else
        widget->setMask(record.previousMask);
      break;
    case SkinFamily::Combo:
    case SkinFamily::CheckBox:
    case SkinFamily::Option:
      prop::remove(widget, prop::kMouseFlag);
      prop::remove(widget, prop::kOldState);
      break;
    case SkinFamily::Header:
      for (const char* name : {prop::kMouseFlag, prop::kHdIndex, prop::kHmIndex})
        prop::remove(widget, name);
      if (record.viewport && !isAttached(record.viewport))
        record.viewport->removeEventFilter(filter_);
      break;
    case SkinFamily::ComboList:
      if (record.viewport && !isAttached(record.viewport)) {
        record.viewport->removeEventFilter(filter_);
        record.viewport->update();
      }
      break;
    default:
      break;
  }
}

void SkinEngine::forget(QObject* widget) {
  // Called from the widget's destructor: only its address is left to use.
  if (records_.erase(widget) == 0) return;
  quiet_.remove(widget);
  countDown();
}

void SkinEngine::countDown() {
  if (--attachedCount_ > 0) return;
  // The last window is gone: the surfaces go, the next SkinWindow builds them again.
  attachedCount_ = 0;
  bitmaps_.reset();
  initialised_ = false;
  if (watcher_) qApp->removeEventFilter(watcher_);
}

void SkinEngine::present(QWidget* target, QWidget* surface, const QRect& rect) {
  QWidget* painted = surface != nullptr ? surface : target;
  ++quiet_[target];
  if (rect.isNull())
    painted->repaint();
  else
    painted->repaint(rect);
  if (--quiet_[target] <= 0) quiet_.remove(target);
}

void SkinEngine::callPrevious(QWidget* target, QWidget* receiver, QEvent* event) {
  QPointer<QWidget> guard(receiver);
  ++quiet_[target];
  auto* area = qobject_cast<QAbstractScrollArea*>(receiver->parentWidget());
  const bool viaViewport = area != nullptr && area->viewport() == receiver;
  bool (QAbstractScrollArea::*viewportEvent)(QEvent*) = &ViewportAccess::viewportEvent;
  const bool handled = viaViewport && (area->*viewportEvent)(event);
  if (!handled && guard) static_cast<QObject*>(guard.data())->event(event);
  // The repaint Qt scheduled in answer happens now, as part of this event.
  if (guard) QCoreApplication::sendPostedEvents(guard->window(), QEvent::UpdateRequest);
  if (--quiet_[target] <= 0) quiet_.remove(target);
}
