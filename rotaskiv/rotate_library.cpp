#include "rotaskiv/rotate_library.h"

#include <QCoreApplication>
#include <QDir>

RotateLibrary::RotateLibrary(QString path) {
  if (path.isEmpty()) path = QDir(QCoreApplication::applicationDirPath()).filePath("rotate");
  library_.setFileName(path);
}

bool RotateLibrary::resolve() {
  if (tried_) return function_ != nullptr;
  tried_ = true;
  if (!library_.load()) {
    error_ = library_.errorString();
    return false;
  }
  // 32-bit Windows exports the stdcall name with its argument size.
  function_ = reinterpret_cast<RotatedcFunction>(library_.resolve("rotatedc"));
  if (function_ == nullptr)
    function_ = reinterpret_cast<RotatedcFunction>(library_.resolve("rotatedc@60"));
  if (function_ == nullptr) error_ = library_.errorString();
  return function_ != nullptr;
}

bool RotateLibrary::rotate(Surface* dst, Surface* src, const RotateArguments& a) {
  if (!resolve()) return false;
  function_(dst, a.angle, a.cx, a.cy, a.sw, a.sh, src, a.sx, a.sy, a.zoom, a.mask, a.alpha, a.hue,
            a.saturation, a.threshold);
  return true;
}
