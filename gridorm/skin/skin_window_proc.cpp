// SkinWindowProc: what the engine does with the events of an attached
// widget. Every control handler lets the widget have the event first (as it
// would without the skin), then changes the control's skin state and
// repaints it; paints themselves are left to the widget, which paints through
// the skin style.
#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimerEvent>

#include "gridorm/skin/button_face.h"
#include "gridorm/skin/skin_drawing.h"
#include "gridorm/skin/skin_engine.h"
#include "gridorm/skin/skin_geometry.h"
#include "gridorm/skin/skin_properties.h"
#include "gridorm/skin/skinner.h"

namespace {

using namespace skin;

// The events the control handlers answer, as the window system names them.
enum class Input {
  None,
  Move,
  LeftDown,
  LeftDouble,
  LeftUp,
  Leave,
  SpaceDown,
  SpaceUp,
  FocusIn,
  FocusOut
};

struct Message {
  QWidget* receiver;  // the widget the event came to
  QWidget* target;    // the control whose state it concerns (a header for its viewport)
  QEvent* event;
  Input input;
  SkinEngine& engine;

  QPoint position() const { return static_cast<const QMouseEvent*>(event)->position().toPoint(); }
  bool leftHeld() const {
    return static_cast<const QMouseEvent*>(event)->buttons().testFlag(Qt::LeftButton);
  }
  // Whether the pointer is over the receiver itself, not another window.
  bool underPointer() const { return isUnderPointer(*receiver, position()); }
};

Input inputOf(const QEvent* event) {
  const auto button = [event] { return static_cast<const QMouseEvent*>(event)->button(); };
  const auto space = [event] {
    const auto* key = static_cast<const QKeyEvent*>(event);
    return key->key() == Qt::Key_Space && key->modifiers() == Qt::NoModifier;
  };
  switch (event->type()) {
    case QEvent::MouseMove:
      return Input::Move;
    case QEvent::MouseButtonPress:
      return button() == Qt::LeftButton ? Input::LeftDown : Input::None;
    case QEvent::MouseButtonDblClick:
      return button() == Qt::LeftButton ? Input::LeftDouble : Input::None;
    case QEvent::MouseButtonRelease:
      return button() == Qt::LeftButton ? Input::LeftUp : Input::None;
    case QEvent::Leave:
      return Input::Leave;
    case QEvent::KeyPress:
      return space() ? Input::SpaceDown : Input::None;
    case QEvent::KeyRelease:
      // Held keys repeat their press, never their release.
      return space() && !static_cast<const QKeyEvent*>(event)->isAutoRepeat() ? Input::SpaceUp
                                                                              : Input::None;
    case QEvent::FocusIn:
      return Input::FocusIn;
    case QEvent::FocusOut:
      return Input::FocusOut;
    default:
      return Input::None;
  }
}

// Which inputs each family answers.
bool answers(SkinFamily family, Input input) {
  switch (family) {
    case SkinFamily::Button:
      return true;
    case SkinFamily::CheckBox:
    case SkinFamily::Option:
      return input != Input::LeftDouble;
    case SkinFamily::Combo:
      return input == Input::Move || input == Input::LeftDown || input == Input::LeftUp ||
             input == Input::Leave;
    case SkinFamily::Header:
      return input == Input::Move || input == Input::LeftDown || input == Input::LeftDouble ||
             input == Input::LeftUp || input == Input::Leave;
    default:
      return false;
  }
}

int get(const QWidget* w, const char* name) { return prop::get(w, name); }
void set(QWidget* w, const char* name, int value) { prop::set(w, name, value); }

// Mouse-leave tracking: one Leave is awaited until it comes.
void armLeave(QWidget* target, AttachedWidget& record) {
  set(target, prop::kMouseFlag, 1);
  record.leaveArmed = true;
}

// ---- push buttons ----------------------------------------------------------

void startFade(QWidget* button) {
  if (get(button, prop::kTimerId) == 0)
    set(button, prop::kTimerId, button->startTimer(kFadeIntervalMs));
}

void stopFade(QWidget* button) {
  if (const int timer = get(button, prop::kTimerId); timer != 0) {
    button->killTimer(timer);
    set(button, prop::kTimerId, 0);
  }
}

// Blends the image of "OLDSTATE" (the disabled one whenever the button is
// disabled) over the face at "ALPHALEVEL"; false when the face is unchanged.
bool blend(QWidget* button, AttachedWidget& record, const SkinBitmaps* skin) {
  if (!record.face || skin == nullptr) return false;
  if (!button->isEnabled()) set(button, prop::kOldState, kDisabled);
  const int state = get(button, prop::kOldState);
  record.face->sync(*skin, lookOf(*static_cast<QPushButton*>(button)), state);
  return record.face->blend(state, get(button, prop::kAlphaLevel));
}

void blendAndShow(const Message& m, AttachedWidget& record) {
  if (blend(m.target, record, m.engine.bitmaps())) m.engine.present(m.target);
}

void buttonInput(const Message& m, AttachedWidget& record) {
  QWidget* b = m.target;
  switch (m.input) {
    case Input::Move:
      if (get(b, prop::kMouseFlag) == 0) {
        armLeave(b, record);
        set(b, prop::kOldState, kHot);
        set(b, prop::kAlphaLevel, 0);
        startFade(b);
      } else if (!m.underPointer()) {
        // Held by a press and dragged off: the current state, settled.
        stopFade(b);
        set(b, prop::kAlphaLevel, kOpaque);
        blendAndShow(m, record);
      }
      break;
    case Input::Leave:
      set(b, prop::kMouseFlag, 0);
      set(b, prop::kOldState, kHot);
      set(b, prop::kAlphaLevel, kLeaveOpacity);
      blendAndShow(m, record);
      set(b, prop::kOldState, kNormal);
      set(b, prop::kAlphaLevel, 0);
      startFade(b);
      break;
    case Input::LeftDown:
    case Input::LeftDouble:
    case Input::SpaceDown:
      stopFade(b);
      set(b, prop::kOldState, kPressed);
      set(b, prop::kAlphaLevel, kOpaque);
      blendAndShow(m, record);
      set(b, prop::kAlphaLevel, 0);
      break;
    case Input::LeftUp:
      set(b, prop::kMouseFlag, 0);
      set(b, prop::kOldState, kNormal);
      set(b, prop::kAlphaLevel, kReleaseOpacity);
      startFade(b);
      break;
    case Input::SpaceUp:
      set(b, prop::kMouseFlag, 0);
      set(b, prop::kAlphaLevel, 0);
      set(b, prop::kOldState, kNormal);
      startFade(b);
      break;
    case Input::FocusIn:
    case Input::FocusOut:
      // The focus rectangle is part of the images.
      if (const SkinBitmaps* skin = m.engine.bitmaps(); skin && record.face)
        record.face->render(*skin, lookOf(*static_cast<QPushButton*>(b)), get(b, prop::kOldState));
      set(b, prop::kAlphaLevel, 0);
      startFade(b);
      break;
    case Input::None:
      break;
  }
}

bool buttonTimer(const Message& m, AttachedWidget& record) {
  QWidget* b = m.target;
  const int timer = get(b, prop::kTimerId);
  if (timer == 0 || static_cast<QTimerEvent*>(m.event)->timerId() != timer) return false;
  const FadeTick tick = fadeTick(get(b, prop::kAlphaLevel));
  blendAndShow(m, record);
  if (tick.finished) stopFade(b);
  set(b, prop::kAlphaLevel, tick.nextOpacity);
  return false;  // and on to the widget, which has no use for it
}

// ---- check boxes and option buttons ---------------------------------------

void drawBox(const Message& m, QWidget* box, int state, bool force) {
  if (state == get(box, prop::kOldState) && !force) return;
  set(box, prop::kOldState, state);
  m.engine.present(box);
}

void boxInput(const Message& m, AttachedWidget& record) {
  QWidget* box = m.target;
  switch (m.input) {
    case Input::Move:
      if (get(box, prop::kMouseFlag) == 0) armLeave(box, record);
      drawBox(m, box, m.leftHeld() ? kPressed : kHot, true);
      break;
    case Input::LeftDown:
    case Input::SpaceDown:
      drawBox(m, box, kPressed, false);
      break;
    case Input::LeftUp:
    case Input::SpaceUp:
      drawBox(m, box, kNormal, false);
      break;
    case Input::Leave:
      set(box, prop::kMouseFlag, 0);
      drawBox(m, box, kNormal, false);
      break;
    case Input::FocusIn:
    case Input::FocusOut:
      if (record.family == SkinFamily::Option) drawBox(m, box, kNormal, true);
      break;
    default:
      break;
  }
}

// After a left release anywhere, every skinned check and option box beside
// the window shows its current mark: a click that moves an option group's
// mark redraws the whole group.
void siblingRefresh(const Message& m) {
  QWidget* parent = m.target->parentWidget() != nullptr ? m.target->parentWidget() : m.target;
  for (QWidget* control : SkinEngine::controlsOf(parent)) {
    const AttachedWidget* record = m.engine.record(control);
    if (record != nullptr &&
        (record->family == SkinFamily::CheckBox || record->family == SkinFamily::Option))
      drawBox(m, control, kNormal, true);
  }
}

// ---- combo boxes -----------------------------------------------------------

bool listShown(const QWidget* combo) {
  for (const QObject* child : combo->children())
    if (isComboPopup(qobject_cast<const QWidget*>(child)))
      return static_cast<const QWidget*>(child)->isVisible();
  return false;
}

int scrollBarExtent(const QWidget* combo, const SkinEngine& engine) {
  return engine.previousStyle(combo)->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, combo);
}

void drawDropButton(const Message& m, int state) {
  QWidget* combo = m.target;
  if (listShown(combo)) state = kPressed;
  if (state == get(combo, prop::kOldState)) return;
  set(combo, prop::kOldState, state);
  m.engine.present(combo);
}

void comboInput(const Message& m, AttachedWidget& record) {
  auto* combo = static_cast<QComboBox*>(m.target);
  // An editable box is a button only over its drop button; a list box all over.
  const auto offButton = [&] {
    return combo->isEditable() &&
           !inDropButtonArea(combo->size(), scrollBarExtent(combo, m.engine), m.position());
  };
  switch (m.input) {
    case Input::Move:
      if (get(combo, prop::kMouseFlag) == 0) armLeave(combo, record);
      drawDropButton(m, offButton() ? kNormal : m.leftHeld() ? kPressed : kHot);
      break;
    case Input::LeftDown:
      if (!offButton()) drawDropButton(m, kPressed);
      break;
    case Input::LeftUp:
      drawDropButton(m, m.underPointer() ? kHot : kNormal);
      break;
    case Input::Leave:
      set(combo, prop::kMouseFlag, 0);
      drawDropButton(m, kNormal);
      break;
    default:
      break;
  }
}

// The text part of an editable combo box is a window of its own: the pointer
// going into it leaves the combo box, whose drop button is hot no more.
void textPartEntered(QWidget* field, SkinEngine& engine, QEvent* event) {
  auto* combo = qobject_cast<QComboBox*>(field->parentWidget());
  AttachedWidget* record = engine.record(combo);
  if (record == nullptr || record->family != SkinFamily::Combo || combo->lineEdit() != field)
    return;
  set(combo, prop::kMouseFlag, 0);
  record->leaveArmed = false;
  drawDropButton({combo, combo, event, Input::Leave, engine}, kNormal);
}

// A closed list leaves its drop button pressed no longer, and no paint would
// come to say so. The box is hot only if the pointer is over it now: while the
// list was open it had the pointer's moves, so Qt may still count the box as
// under it. Hot, it waits for the pointer's leave as after a move.
void listClosed(QWidget* combo, QEvent* event, SkinEngine& engine) {
  AttachedWidget* record = engine.record(combo);
  if (record == nullptr) return;
  const bool over = isUnderPointer(*combo, combo->mapFromGlobal(QCursor::pos()));
  if (over) armLeave(combo, *record);
  drawDropButton({combo, combo, event, Input::None, engine}, over ? kHot : kNormal);
}

// ---- headers ---------------------------------------------------------------

void drawItem(const Message& m, AttachedWidget& record, int index, int state) {
  if (index < 0) return;
  auto* header = static_cast<QHeaderView*>(m.target);
  record.drawnItems.insert(index, state);
  m.engine.present(header, header->viewport(), headerItemRect(*header, index));
}

void headerInput(const Message& m, AttachedWidget& record) {
  auto* header = static_cast<QHeaderView*>(m.target);
  const auto itemAtPointer = [&] {
    const QPoint at = m.position();
    return headerItemAt(*header, header->orientation() == Qt::Horizontal ? at.x() : at.y());
  };
  switch (m.input) {
    case Input::LeftDown:
    case Input::LeftDouble: {
      const int pressed = itemAtPointer();
      set(header, prop::kHdIndex, pressed);
      drawItem(m, record, pressed, kPressed);
      break;
    }
    case Input::Move: {
      if (get(header, prop::kMouseFlag) == 0) armLeave(header, record);
      const int hot = itemAtPointer(), wasHot = get(header, prop::kHmIndex);
      const int pressed = get(header, prop::kHdIndex);
      if (hot == wasHot) break;
      if (wasHot >= 0 && wasHot != pressed) drawItem(m, record, wasHot, kNormal);
      if (!m.leftHeld()) {
        set(header, prop::kHmIndex, hot);
        drawItem(m, record, hot, kHot);
      } else if (hot == pressed) {
        drawItem(m, record, hot, kPressed);
      }
      break;
    }
    case Input::LeftUp: {
      const int released = get(header, prop::kHdIndex);
      set(header, prop::kHdIndex, -1);
      drawItem(m, record, released, m.underPointer() ? kNormal : kHot);
      break;
    }
    case Input::Leave: {
      const int wasHot = get(header, prop::kHmIndex);
      set(header, prop::kMouseFlag, 0);
      set(header, prop::kHdIndex, -1);
      set(header, prop::kHmIndex, -1);
      drawItem(m, record, wasHot, kNormal);
      break;
    }
    default:
      break;
  }
}

// ---- events that are not input ---------------------------------------------

// A paint the engine did not ask for: the window is being redrawn, and each
// control shows its settled state.
void windowRepaint(QWidget* target, AttachedWidget& record, SkinEngine& engine) {
  switch (record.family) {
    case SkinFamily::Button:
      stopFade(target);
      set(target, prop::kAlphaLevel, kOpaque);
      blend(target, record, engine.bitmaps());
      break;
    case SkinFamily::CheckBox:
    case SkinFamily::Option:
      set(target, prop::kOldState, kNormal);
      break;
    case SkinFamily::Combo: {
      int state = get(target, prop::kOldState);
      // A pressed drop button outlives neither its list nor the press.
      if (state == kPressed && !QGuiApplication::mouseButtons().testFlag(Qt::LeftButton))
        state = kNormal;
      set(target, prop::kOldState, listShown(target) ? kPressed : state);
      break;
    }
    case SkinFamily::Header:
      record.drawnItems.clear();
      break;
    default:
      break;
  }
}

void paint(QWidget* target, AttachedWidget& record, SkinEngine& engine) {
  if (!engine.paintIsQuiet(target)) windowRepaint(target, record, engine);
}

// QAbstractScrollArea paints its viewport through a handler of its own.
struct ViewportAccess : QAbstractScrollArea {
  using QAbstractScrollArea::viewportEvent;
};

// An open combo list's rows, then the white ring inside the list's frame line
// over them: the view covers the ring's place, and the ring is to show.
void paintListRows(QWidget* list, QWidget* viewport, QEvent* event) {
  auto* view = static_cast<QAbstractScrollArea*>(viewport->parentWidget());
  bool (QAbstractScrollArea::*viewportEvent)(QEvent*) = &ViewportAccess::viewportEvent;
  (view->*viewportEvent)(event);
  const QRect ring = QRect(QPoint(0, 0), list->size())
                         .adjusted(kFrameWidth, kFrameWidth, -kFrameWidth, -kFrameWidth)
                         .translated(-viewport->mapTo(list, QPoint(0, 0)));
  QPainter painter(viewport);
  painter.setPen(colour::toQColor(kWhite));
  painter.drawRect(ring.adjusted(0, 0, -1, -1));
}

void resized(QWidget* target, AttachedWidget& record, SkinEngine& engine) {
  if (record.family != SkinFamily::Button) return;
  if (record.face && engine.bitmaps())
    record.face->render(*engine.bitmaps(), lookOf(*static_cast<QPushButton*>(target)),
                        get(target, prop::kOldState));
  target->setMask(RoundedButtonRegion(target->size()));
}

void enabledChanged(QWidget* target, AttachedWidget& record, SkinEngine& engine) {
  if (record.family != SkinFamily::Button) return;
  set(target, prop::kOldState, target->isEnabled() ? kNormal : kDisabled);
  if (blend(target, record, engine.bitmaps())) engine.present(target);
}

// A window that becomes active over a skinned one (or that a skinned window
// takes the activation from) is attached when it is a window of its own or
// a child of the skinned one: a dialog comes with all its controls.
void activationChanged(QWidget* window, QEvent* event, SkinEngine& engine) {
  if (!window->isWindow()) return;
  QWidget* other = event->type() == QEvent::WindowDeactivate ? QApplication::activeWindow()
                                                             : engine.previousActiveWindow();
  if (other == nullptr || other == window) return;
  if (other->parentWidget() == window || familyOf(other) == SkinFamily::Form) AttachSkin(other);
}

// Controls added to a skinned form later are skinned too, once polished
// (before that they are not yet what they will be).
void childArrived(QWidget* parent, QChildEvent* event, SkinEngine& engine) {
  if (!event->child()->isWidgetType()) return;
  auto* child = static_cast<QWidget*>(event->child());
  const AttachedWidget* form = engine.record(parent->window());
  if (child->isWindow() || form == nullptr || form->family != SkinFamily::Form) return;
  if (event->type() == QEvent::ChildAdded && !child->testAttribute(Qt::WA_WState_Polished)) return;
  AttachSkin(child);
  for (QWidget* control : SkinEngine::controlsOf(child)) AttachSkin(control);
}

}  // namespace

bool SkinWindowProc(QWidget* window, QEvent* event) {
  if (window == nullptr || event == nullptr) return false;
  SkinEngine& engine = SkinEngine::instance();
  QWidget* target = engine.skinTarget(window);
  AttachedWidget* record = engine.record(target);
  if (record == nullptr) return false;  // no "PROCADDR": the widget's own handling
  const Message message{window, target, event, inputOf(event), engine};
  switch (event->type()) {
    case QEvent::Paint:
      if (record->family == SkinFamily::ComboList && target != window) {
        paintListRows(target, window, event);
        return true;
      }
      paint(target, *record, engine);
      return false;
    case QEvent::Resize:
    case QEvent::Move:
      if (target != window) return false;
      // A combo box moved or resized is drawn normal again.
      if (record->family == SkinFamily::Combo) drawDropButton(message, kNormal);
      if (event->type() == QEvent::Resize) resized(target, *record, engine);
      return false;
    case QEvent::EnabledChange:
      enabledChanged(target, *record, engine);
      return false;
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
      activationChanged(window, event, engine);
      return false;
    case QEvent::ChildAdded:
    case QEvent::ChildPolished:
      childArrived(window, static_cast<QChildEvent*>(event), engine);
      return false;
    case QEvent::Timer:
      return record->family == SkinFamily::Button && buttonTimer(message, *record);
    case QEvent::Hide:
      if (record->family == SkinFamily::ComboList && target == window)
        listClosed(window->parentWidget(), event, engine);
      return false;
    case QEvent::Enter:
      textPartEntered(window, engine, event);
      return false;
    default:
      break;
  }
  const Input input = message.input;
  const bool awaitedLeave = input != Input::Leave || record->leaveArmed;
  if (input == Input::None || !answers(record->family, input) || !awaitedLeave) {
    if (input == Input::LeftUp) siblingRefresh(message);
    return false;
  }
  if (input == Input::Leave) record->leaveArmed = false;
  const QPointer<QWidget> stillThere(target), receiverThere(window);
  engine.callPrevious(target, window, event);
  // The widget may have gone, or been detached, while it had the event.
  record = stillThere && receiverThere ? engine.record(target) : nullptr;
  if (record == nullptr) return true;
  switch (record->family) {
    case SkinFamily::Button:
      buttonInput(message, *record);
      break;
    case SkinFamily::CheckBox:
    case SkinFamily::Option:
      boxInput(message, *record);
      break;
    case SkinFamily::Combo:
      comboInput(message, *record);
      break;
    case SkinFamily::Header:
      headerInput(message, *record);
      break;
    default:
      break;
  }
  if (input == Input::LeftUp) siblingRefresh(message);
  return true;
}
