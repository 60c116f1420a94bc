#include "gridorm/skin/skinner.h"

#include "gridorm/skin/skin_engine.h"

int SkinWindow(QWidget* window) {
  SkinEngine& engine = SkinEngine::instance();
  if (!engine.initialised()) engine.initialise();
  return engine.attach(window);
}

int AttachSkin(QWidget* window) { return SkinEngine::instance().attach(window); }

int DetachSkin(QWidget* window) { return SkinEngine::instance().detach(window); }

bool SkinInitialised() { return SkinEngine::instance().initialised(); }

int SkinAttachedCount() { return SkinEngine::instance().attachedCount(); }

const SkinBitmaps* SkinSurfaces() { return SkinEngine::instance().bitmaps(); }
