/*
 * The pixel surface that the rotation kernel and the programs' blits share:
 * 32-bit pixels 0xAARRGGBB in native byte order (the layout of
 * QImage::Format_RGB32), `stride` bytes from one row to the next (a multiple
 * of 4, at least 4 * width). Plain C, so that C callers of the kernel can use
 * it too.
 */
#ifndef ROTATE_SURFACE_H
#define ROTATE_SURFACE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct Surface {
  uint32_t* bits;
  int32_t width;
  int32_t height;
  int32_t stride; /* bytes from one row to the next */
} Surface;

#ifdef __cplusplus
}
#endif

#endif /* ROTATE_SURFACE_H */
