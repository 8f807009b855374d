/* Vantrel: measures the pixel width and height of a TIFF image. CheckTiffResolution opens the
 * image and remembers its size; GetTIFFWidth and GetTIFFLength give that size afterwards.
 * Nothing is ever printed. Calls must not overlap: the size is one copy for the process. */
#ifndef VANTREL_VANTREL_H
#define VANTREL_VANTREL_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define VANTREL_EXPORT __attribute__((visibility("default")))
#else
#define VANTREL_EXPORT
#endif

/* 0 when the image could be opened and measured; 1 when it could not be opened or read as a
 * TIFF, 2 when its size does not fit a signed 32-bit value. */
VANTREL_EXPORT int32_t CheckTiffResolution(const char* path);
/* Width and height of the image last measured; 0 when the last measurement failed. */
VANTREL_EXPORT int32_t GetTIFFWidth(void);
VANTREL_EXPORT int32_t GetTIFFLength(void);

#ifdef __cplusplus
}
#endif

#endif /* VANTREL_VANTREL_H */
