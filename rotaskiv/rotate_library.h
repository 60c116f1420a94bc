#pragma once

#include <QLibrary>
#include <QString>

#include "rotaskiv/rotate_arguments.h"
#include "rotate/rotatedc.h"

// The rotation kernel, loaded by name from beside the program the first time
// it is needed and kept loaded until the program ends.
class RotateLibrary {
 public:
  // `path` without the platform's prefix and suffix; by default "rotate" in
  // the program's folder.
  explicit RotateLibrary(QString path = QString());
  virtual ~RotateLibrary() = default;
  RotateLibrary(const RotateLibrary&) = delete;
  RotateLibrary& operator=(const RotateLibrary&) = delete;

  // Paints `src` onto `dst` with the arguments. False when the library or its
  // function cannot be found; error() then says why.
  virtual bool rotate(Surface* dst, Surface* src, const RotateArguments& args);
  QString error() const { return error_; }

 private:
  bool resolve();

  QLibrary library_;
  RotatedcFunction function_ = nullptr;
  bool tried_ = false;
  QString error_;
};
