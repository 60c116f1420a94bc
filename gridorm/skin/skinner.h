#pragma once

class QEvent;
class QWidget;
struct SkinBitmaps;

// The skin engine of Gridorm's windows: a flat, light-blue look with fading
// push buttons, given to a window and everything in it without the window's
// own code taking part.
//
// Attaching a widget hands it the engine's style (which paints the skinned
// controls and passes everything else to the style the widget had) and the
// engine's event filter (SkinWindowProc). The per-widget state lives in
// dynamic properties ("PROCADDR", "OLDSTATE", "ALPHALEVEL", ...). A window
// and its controls are detached when destroyed; dialogs that become active
// over a skinned window, and the lists of skinned combo boxes, are attached
// by the engine itself.

// The public entry: on the first call (and the first after the engine went
// back to rest) builds the skin surfaces; then attaches the window. 1 when
// the window was attached by this call, 0 when it was null or attached.
int SkinWindow(QWidget* window);

// Attaches one widget, and a form's controls with it: 1 when this call
// attached it, 0 for null or an attached widget.
int AttachSkin(QWidget* window);

// Gives the widget (and a form's controls) back its previous style, shape
// and properties: 1 when it was detached, 0 when it was not attached.
int DetachSkin(QWidget* window);

// The engine's handling of one event of an attached widget: true when the
// engine delivered it (to the widget first, then drew on top), false when it
// goes on to the widget as usual. Widgets that are not attached (or whose
// "PROCADDR" is gone) are left to themselves.
bool SkinWindowProc(QWidget* window, QEvent* event);

// The engine-wide state.
bool SkinInitialised();
int SkinAttachedCount();
// The five skin surfaces while the engine is initialised, null otherwise.
const SkinBitmaps* SkinSurfaces();
