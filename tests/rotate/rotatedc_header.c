// Builds only if the kernel's header is plain C that a C caller can use.
#include "rotate/rotatedc.h"

int rotatedc_header_is_c(void);
int rotatedc_header_is_c(void) {
  Surface surface = {0, 0, 0, 0};
  RotatedcFunction function = 0;
  return surface.width + (function == 0 ? 0 : 1) + (int)(ROTATEDC_NO_MASK & 1u);
}
