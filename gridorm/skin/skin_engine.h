#pragma once

#include <QByteArray>
#include <QHash>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QStyle>
#include <QVariant>
#include <QWidget>
#include <memory>
#include <unordered_map>

#include "gridorm/skin/button_face.h"
#include "gridorm/skin/skin_bitmaps.h"
#include "gridorm/skin/skin_family.h"

class QEvent;
class SkinStyle;

// What the engine keeps for an attached widget besides its properties: how
// to give the widget back as it was, and what its painters need.
struct AttachedWidget {
  SkinFamily family = SkinFamily::Other;
  QPointer<QStyle> previousStyle;
  bool hadOwnStyle = false;
  QRegion previousMask;
  bool previousTracking = false;
  bool previousHover = false;
  QHash<QByteArray, QVariant> previousProperties;  // the engine's names, as set before
  QMetaObject::Connection destroyedConnection;
  std::unique_ptr<ButtonFace> face;  // push buttons
  QHash<int, int>
      drawnItems;  // header items drawn in a state of their own since the last full paint
  QPointer<QWidget> viewport;  // a header's viewport (its mouse), a combo list's (its ring)
  bool leaveArmed = false;     // a Leave is awaited, as mouse-leave tracking would deliver it
};

// The engine-wide state: one instance per program. It owns the skin
// surfaces while any window is attached, the style and the event filter
// that attaching hands out, and the record of every attached widget.
class SkinEngine {
 public:
  static SkinEngine& instance();

  bool initialised() const { return initialised_; }
  int attachedCount() const { return attachedCount_; }
  const SkinBitmaps* bitmaps() const { return bitmaps_.get(); }

  // Sets the initialised flag, builds the surfaces and starts watching the
  // application for combo lists that open.
  void initialise();

  // 1 when this call attached (detached) the widget, 0 when there was
  // nothing to do. A form takes its controls with it.
  int attach(QWidget* widget);
  int detach(QWidget* widget);

  // Attached: marked by "PROCADDR" and known to the engine.
  bool isAttached(const QWidget* widget) const { return record(widget) != nullptr; }
  AttachedWidget* record(const QWidget* widget) const;
  // The style the widget had before; the application's for anything else.
  QStyle* previousStyle(const QWidget* widget) const;
  // The widget whose state an event of `receiver` concerns: a header or an
  // open combo list for its view's viewport, the receiver itself otherwise.
  QWidget* skinTarget(QWidget* receiver) const;

  // A widget's non-window descendants, parents before children.
  static QList<QWidget*> controlsOf(const QWidget* widget);

  // Paints of `target` the engine expects: its own, and those Qt makes in
  // answer to an event the engine handles. Any other paint is a window
  // repaint, after which a control shows its settled state.
  bool paintIsQuiet(const QWidget* target) const { return quiet_.contains(target); }
  // Repaints `surface` (the target or its viewport) now, as the engine's own paint.
  void present(QWidget* target, QWidget* surface = nullptr, const QRect& rect = QRect());
  // Hands the event to the widget as it would have had it without the
  // skin, including the repaint Qt schedules for it, so that the engine can
  // draw on top afterwards.
  void callPrevious(QWidget* target, QWidget* receiver, QEvent* event);

  // The window that was active before the one now being activated.
  QWidget* previousActiveWindow() const { return previousActive_; }
  void noteActivation(QWidget* window);

 private:
  SkinEngine() = default;
  void ensureObjects();
  void setUpFamily(QWidget* widget, AttachedWidget& record);
  void tearDownFamily(QWidget* widget, AttachedWidget& record);
  void forget(QObject* widget);
  void countDown();

  bool initialised_ = false;
  int attachedCount_ = 0;
  std::unique_ptr<SkinBitmaps> bitmaps_;
  QPointer<SkinStyle> style_;
  QPointer<QObject> filter_;
  QPointer<QObject> watcher_;
  std::unordered_map<const QObject*, std::unique_ptr<AttachedWidget>> records_;
  QHash<const QObject*, int> quiet_;
  QPointer<QWidget> activeWindow_, previousActive_;
};
