/*
 * rotatedc: paints a rectangle of one 32-bit surface onto another, turned,
 * zoomed, with one colour keyed out, blended and recoloured.
 *
 * Plain C, no Qt: Rotaskiv loads librotate by name at run time and any other
 * caller can do the same.
 *
 * Surfaces
 *   A surface is a pointer to `Surface`: 32-bit pixels 0xAARRGGBB in native
 *   byte order (the layout of QImage::Format_RGB32), `stride` in bytes
 *   between rows (a multiple of 4, at least 4 * width). The alpha byte of
 *   the source is ignored; every pixel written to the destination gets
 *   alpha 0xFF.
 *
 * Geometry
 *   The source rectangle (sx, sy, sw, sh) is scaled by `zoom` and its centre
 *   is placed on (cx, cy) of the destination, in pixel corner coordinates:
 *   with zoom 1 and no turn, source pixel (sx + i, sy + j) lands on
 *   destination pixel (cx - sw/2 + i, cy - sh/2 + j). A growing `angle`
 *   (radians) turns the picture counter-clockwise on screen. Angles within
 *   1e-4 rad of a whole number of turns count as that whole number of turns,
 *   so a caller's four-decimal approximation of 2*pi shows the picture pixel
 *   for pixel. Parts of the rectangle outside the source surface are treated
 *   as not there.
 *
 * Sampling
 *   Bilinear. Sample positions are fixed point with 16 fraction bits,
 *   worked out exactly at every 128th pixel of a row and stepped in between;
 *   the four neighbours are weighted in 128ths from the top 7 fraction bits:
 *   each row's pair is mixed across, then the lower row's share is added to
 *   the upper row's, rounded to a 128th. A source pixel whose red, green and
 *   blue equal the mask colour is left out: it gets no weight in its
 *   neighbours' samples, so no fringe of the mask colour appears. The
 *   weight that falls on pixels that are there gives the coverage of a
 *   destination pixel (in 16384ths), which antialiases the picture's edges
 *   and the edges of masked areas; the colour is the weighted mean of the
 *   pixels that are there, rounded to nearest. Destination pixels with no
 *   coverage are not touched.
 *
 * Mask colour
 *   0x00BBGGRR (red in the low byte). Any value with the top bit set (the
 *   caller passes 0x8000000F, "button face") keys out nothing.
 *
 * Factors, applied to each sample in this order
 *   hue        turns the hue by this fraction of a full circle in the HSV
 *              model (as image editors and QColor have it), keeping value
 *              and saturation: red turned by 1/6 is yellow, by 1/3 pure
 *              green, by 1/2 cyan (0, 255, 255), by 2/3 blue. 0 and whole
 *              numbers leave the colour; negative values turn the other way.
 *              The turn counts in 1536ths of a circle.
 *   saturation multiplies the HSV saturation (clipped to 1), keeping the
 *              value (the brightest channel) and the hue: 0 gives a grey
 *              of the brightest channel, 1 leaves the colour, 2 turns
 *              (200, 100, 100) into (200, 0, 0). Negative values count as 0,
 *              the factor counts in 256ths. Hue and saturation work in whole
 *              numbers: the new chroma (brightest minus darkest channel) is
 *              rounded, so is the hue's place between the channels, and the
 *              brightest channel stays as it is.
 *   threshold  1 leaves the picture unchanged. Below 1, colours whose
 *              luminance (0.2126 R + 0.7152 G + 0.0722 B, worked out
 *              exactly in ten-thousandths) is under (1 - t) * 255 go black;
 *              above 1, colours whose luminance is over (2 - t) * 255 go
 *              white.
 *   alpha      opacity of the picture over the destination: 1 opaque,
 *              0 invisible (values outside 0..1 are clipped), in 256ths;
 *              with the edge coverage c (in 16384ths) each channel becomes
 *              (colour * a + destination * (256 - a) + 128) / 256 with
 *              a = (c * alpha + 8192) / 16384.
 *   With hue 0, saturation 1, threshold 1 and alpha 1 the picture is drawn
 *   as loaded: unturned and unzoomed, every pixel is copied unchanged.
 *
 * Safety
 *   Any argument is safe: null surfaces, zoom 0, negative, infinite or NaN
 *   values, sizes larger than the source surface and rectangles outside
 *   either surface draw nothing or only what lies inside both surfaces;
 *   nothing outside the destination is ever written.
 *
 * Result
 *   0 when the call was understood (even if nothing was covered), -1 when
 *   an argument made it draw nothing (null surface or pixels, a width,
 *   height or stride that does not describe a surface, zoom <= 0, a
 *   non-finite value, negative size).
 *
 * Implementation
 *   A plain reference implementation and a SIMD one with run-time dispatch
 *   (AVX-512, AVX2, SSE4; the reference without SSE4). The arithmetic is in
 *   whole numbers, so both give the same pixels bit for bit.
 *   Setting the environment variable ROTATEDC_REFERENCE to 1 forces the
 *   reference implementation (read once, at the first call).
 */
#ifndef ROTATEDC_H
#define ROTATEDC_H

#include <stdint.h>

#include "rotate/surface.h"

#ifdef __cplusplus
extern "C" {
#endif

// clang-format off
#if defined(_WIN32)
#  if defined(ROTATE_BUILDING_LIBRARY)
#    define ROTATEDC_API __declspec(dllexport)
#  else
#    define ROTATEDC_API __declspec(dllimport)
#  endif
#  define ROTATEDC_CALL __stdcall
#else
#  define ROTATEDC_API __attribute__((visibility("default")))
#  define ROTATEDC_CALL
#endif
// clang-format on

/* The mask value that keys out nothing (the system colour
   "button face"). */
#define ROTATEDC_NO_MASK 0x8000000Fu

ROTATEDC_API int ROTATEDC_CALL rotatedc(Surface* dst, float angle, int32_t cx, int32_t cy,
                                        int32_t sw, int32_t sh, Surface* src, int32_t sx,
                                        int32_t sy, float zoom, uint32_t mask, float alpha,
                                        float hue, float saturation, float threshold);

typedef int(ROTATEDC_CALL* RotatedcFunction)(Surface*, float, int32_t, int32_t, int32_t, int32_t,
                                             Surface*, int32_t, int32_t, float, uint32_t, float,
                                             float, float, float);

#ifdef __cplusplus
}
#endif

#endif /* ROTATEDC_H */
