/* open() with O_CLOEXEC, fstat() */
#define _POSIX_C_SOURCE 200809L

#include "vantrel/vantrel.h"

#include <fcntl.h>
#include <stdarg.h>
#include <stddef.h>
#include <sys/stat.h>
#include <tiffio.h>
#include <unistd.h>

/* A damaged file must not make libtiff allocate without bound while it reads the directory. */
#define VANTREL_MAX_SINGLE_ALLOCATION ((tmsize_t)256 * 1024 * 1024)

static int32_t lastWidth = 0;
static int32_t lastLength = 0;

/* Swallows libtiff's messages for this one handle only; returning 1 keeps them from reaching
 * the process-wide handlers, which other users of libtiff in the process may rely on. */
static int Silence(TIFF* tif, void* userData, const char* module, const char* format,
                   va_list arguments) {
    (void)tif;
    (void)userData;
    (void)module;
    (void)format;
    (void)arguments;
    return 1;
}

/* Opens a regular file only: a FIFO or device in the image's place must not stall the caller,
 * hence the non-blocking open and the check on what was opened. */
static int OpenRegularFile(const char* path) {
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat info;
    if (fd >= 0 && (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))) {
        close(fd);
        return -1;
    }
    return fd;
}

static TIFF* OpenSilently(const char* path) {
    const int fd = OpenRegularFile(path);
    if (fd < 0) {
        return NULL;
    }
    TIFF* tif = NULL;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options != NULL) {
        TIFFOpenOptionsSetErrorHandlerExtR(options, Silence, NULL);
        TIFFOpenOptionsSetWarningHandlerExtR(options, Silence, NULL);
        TIFFOpenOptionsSetMaxSingleMemAlloc(options, VANTREL_MAX_SINGLE_ALLOCATION);
        /* "r": read only; "m": no memory mapping, since only the directory is needed. */
        tif = TIFFFdOpenExt(fd, path, "rm", options);
        TIFFOpenOptionsFree(options);
    }
    if (tif == NULL) {
        close(fd); /* libtiff owns the descriptor only once it has opened the image */
    }
    return tif;
}

int32_t CheckTiffResolution(const char* path) {
    lastWidth = 0;
    lastLength = 0;
    if (path == NULL) {
        return 1;
    }
    TIFF* tif = OpenSilently(path);
    if (tif == NULL) {
        return 1;
    }
    uint32_t width = 0;
    uint32_t length = 0;
    const int measured = TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &width) == 1 &&
                         TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &length) == 1;
    TIFFClose(tif);
    if (!measured) {
        return 1;
    }
    if (width > INT32_MAX || length > INT32_MAX) {
        return 2;
    }
    lastWidth = (int32_t)width;
    lastLength = (int32_t)length;
    return 0;
}

int32_t GetTIFFWidth(void) {
    return lastWidth;
}

int32_t GetTIFFLength(void) {
    return lastLength;
}
