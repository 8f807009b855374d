/* Pelcor: reads and writes the georeference that a TIFF (either byte order, classic or BigTIFF)
 * carries in its GeoTIFF
 * tags (ModelPixelScale 33550, ModelTiepoint 33922, ModelTransformation 34264), as the six
 * world-file parameters: pixelSizeX, rotationY, rotationX, pixelSizeY, originX, originY, the
 * origin being the centre of the top-left pixel. One rule holds for every function and any raster
 * type: GDAL places a written file exactly where the six values place the image, and reading
 * returns the six values of the image as GDAL places it (a tie point at the first pixel's centre
 * when the GeoKeys say PixelIsPoint, at its outer corner otherwise, as the GeoTIFF default has
 * it). Every function returns 1 on success and 0 on
 * failure. Each call opens, works on and closes its file by itself and keeps nothing between
 * calls; calls on the same file must not overlap. Reading needs only read access; writing
 * refuses a file that carries no write permission, and a refused write changes nothing. A write
 * never changes a byte of the image's pixel data: it is refused (0) when any value or directory
 * it would write lies over a strip or tile as StripOffsets/StripByteCounts or
 * TileOffsets/TileByteCounts place them, or when those offsets cannot be read. */
#ifndef PELCOR_PELCOR_H
#define PELCOR_PELCOR_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(_WIN32) && defined(PELCOR_BUILD)
#define PELCOR_EXPORT __declspec(dllexport)
#elif defined(_WIN32)
#define PELCOR_EXPORT __declspec(dllimport)
#elif defined(__GNUC__)
#define PELCOR_EXPORT __attribute__((visibility("default")))
#else
#define PELCOR_EXPORT
#endif

PELCOR_EXPORT int32_t tiffHdrReadDbl(const char* fileName, double* pixelSizeX, double* rotationY,
                                     double* rotationX, double* pixelSizeY, double* originX,
                                     double* originY);
PELCOR_EXPORT int32_t tiffHdrReadFlt(const char* fileName, float* pixelSizeX, float* rotationY,
                                     float* rotationX, float* pixelSizeY, float* originX,
                                     float* originY);
PELCOR_EXPORT int32_t tiffHdrWriteDbl(const char* fileName, double pixelSizeX, double rotationY,
                                      double rotationX, double pixelSizeY, double originX,
                                      double originY);
PELCOR_EXPORT int32_t tiffHdrWriteFlt(const char* fileName, float pixelSizeX, float rotationY,
                                      float rotationX, float pixelSizeY, float originX,
                                      float originY);

/* Writes the georeference as tiffHdrWriteDbl does and declares in the GeoKeys that the tie
 * point is the centre of the first pixel (GTRasterTypeGeoKey PixelIsPoint), keeping the file's
 * other keys. With epsg above 0 the keys also state the coordinate system by that EPSG code,
 * replacing the file's own: modelType 1 for a projected system, 2 for a geographic one. */
PELCOR_EXPORT int32_t tiffHdrWriteKeyedDbl(const char* fileName, double pixelSizeX,
                                           double rotationY, double rotationX, double pixelSizeY,
                                           double originX, double originY, int32_t modelType,
                                           int32_t epsg);
/* What the GeoKeys say: rasterType 0 when the file has no usable GeoKeys, 1 PixelIsArea (also
 * when the keys leave the raster type out), 2 PixelIsPoint; modelType (1 projected, 2
 * geographic) and epsg 0 where the keys do not give them (a user-defined system, 32767 in the
 * keys, has no EPSG code: 0). */
PELCOR_EXPORT int32_t tiffHdrReadKeysInt(const char* fileName, int32_t* rasterType,
                                         int32_t* modelType, int32_t* epsg);

/* What the georeference tags of the file hold, for a message that says why tiffHdrReadDbl
 * found no georeference: kind 0 no georeference tag at all, 1 a georeference, 2 ground control
 * points only (two tie points or more without a pixel scale or a matrix: a warp, which no
 * world file holds), 3 tags that place nothing. Returns 0 when the file cannot be read. */
PELCOR_EXPORT int32_t tiffHdrReadGeoreferenceKind(const char* fileName, int32_t* kind);

/* The three GeoKey tags as the file stores them: the GeoKeyDirectory's values, the
 * GeoDoubleParams, and the GeoAsciiParams text (without its final NUL). On entry each count is
 * the room its array has; on return it is the number of values the file holds, 0 for an absent
 * tag. Returns 0 when the file cannot be read or an array is too small (the counts then say how
 * much room is needed). */
PELCOR_EXPORT int32_t tiffHdrReadGeoKeys(const char* fileName, uint16_t* directory,
                                         int32_t* directoryCount, double* doubles,
                                         int32_t* doubleCount, char* ascii, int32_t* asciiLength);
/* Writes the georeference and replaces the file's three GeoKey tags by the ones given (a count
 * of 0 leaves that tag out, whatever its array pointer), declaring PixelIsPoint in the
 * directory. Keys that refer to values outside the given arrays are refused. A directory count
 * of 0 removes every GeoKey tag: the file then states no coordinate system and no raster type,
 * as GDAL writes such a file. A negative count, or a positive count with a NULL array, is
 * refused (0) and changes nothing. */
PELCOR_EXPORT int32_t tiffHdrWriteGeoKeysDbl(const char* fileName, double pixelSizeX,
                                             double rotationY, double rotationX, double pixelSizeY,
                                             double originX, double originY,
                                             const uint16_t* directory, int32_t directoryCount,
                                             const double* doubles, int32_t doubleCount,
                                             const char* ascii, int32_t asciiLength);

/* The two writes above, for an image changed where it stands, which must survive a kill or a
 * power cut at any moment: the values and a new first directory are always appended at the
 * file's end (from an 8-byte boundary) and made durable, then the header's pointer to the first
 * directory is changed in one aligned write of 4 bytes (8 for BigTIFF) and made durable. The
 * file then holds its old georeference or its new one, never a mixture; the pixel data and
 * every other directory stay byte for byte. Refused (0), changing nothing, for a file whose
 * directories stand before its pixel data (tiffHdrReadInPlaceBlockerInt's blocker 1) and for
 * one another open file holds a lock on (blocker 2). */
PELCOR_EXPORT int32_t tiffHdrWriteKeyedInPlaceDbl(const char* fileName, double pixelSizeX,
                                                  double rotationY, double rotationX,
                                                  double pixelSizeY, double originX, double originY,
                                                  int32_t modelType, int32_t epsg);
PELCOR_EXPORT int32_t tiffHdrWriteGeoKeysInPlaceDbl(
    const char* fileName, double pixelSizeX, double rotationY, double rotationX, double pixelSizeY,
    double originX, double originY, const uint16_t* directory, int32_t directoryCount,
    const double* doubles, int32_t doubleCount, const char* ascii, int32_t asciiLength);
/* What would make the in-place writes refuse the file: blocker 0 nothing, 1 its directories
 * stand before its pixel data as in a cloud-optimised GeoTIFF (GDAL's structural metadata says
 * so, or a tiled image's first directory follows the header, ahead of every tile), which a
 * directory appended at the end would break; 2 another open file holds a lock on it (fcntl,
 * open-file-description or flock locks; a program that writes without locking cannot be
 * seen). Returns 0 when the file cannot be opened for update or read as a TIFF. */
PELCOR_EXPORT int32_t tiffHdrReadInPlaceBlockerInt(const char* fileName, int32_t* blocker);

#ifdef __cplusplus
}
#endif

#endif /* PELCOR_PELCOR_H */
