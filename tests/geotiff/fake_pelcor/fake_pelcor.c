/* Stands in for Pelcor in tests: the file it is given says what to answer. Its text is the
 * result, then for reading the six values, e.g. "1 2 0 0 -2 100 200". */
#include <stdint.h>
#include <stdio.h>

__attribute__((visibility("default"))) int32_t tiffHdrReadDbl(const char* fileName, double* a,
                                                              double* d, double* b, double* e,
                                                              double* x0, double* y0) {
    FILE* file = fopen(fileName, "r");
    int result = 0;
    if (file == NULL || fscanf(file, "%d", &result) != 1) {
        result = 0;
    } else if (fscanf(file, "%lf %lf %lf %lf %lf %lf", a, d, b, e, x0, y0) != 6) {
        result = result == 1 ? 0 : result;
    }
    if (file != NULL) {
        fclose(file);
    }
    return result;
}

__attribute__((visibility("default"))) int32_t tiffHdrWriteDbl(const char* fileName, double a,
                                                               double d, double b, double e,
                                                               double x0, double y0) {
    (void)a, (void)d, (void)b, (void)e, (void)x0, (void)y0;
    FILE* file = fopen(fileName, "r");
    int result = 0;
    if (file == NULL || fscanf(file, "%d", &result) != 1) {
        result = 0;
    }
    if (file != NULL) {
        fclose(file);
    }
    return result;
}

__attribute__((visibility("default"))) int32_t tiffHdrWriteKeyedDbl(const char* fileName, double a,
                                                                    double d, double b, double e,
                                                                    double x0, double y0,
                                                                    int32_t modelType,
                                                                    int32_t epsg) {
    (void)modelType, (void)epsg;
    return tiffHdrWriteDbl(fileName, a, d, b, e, x0, y0);
}

/* The files of this double carry no GeoKeys. */
__attribute__((visibility("default"))) int32_t tiffHdrReadKeysInt(const char* fileName,
                                                                  int32_t* rasterType,
                                                                  int32_t* modelType,
                                                                  int32_t* epsg) {
    (void)fileName;
    *rasterType = 0;
    *modelType = 0;
    *epsg = 0;
    return 1;
}

/* The double cannot tell why a file holds no georeference. */
__attribute__((visibility("default"))) int32_t tiffHdrReadGeoreferenceKind(const char* fileName,
                                                                           int32_t* kind) {
    (void)fileName;
    (void)kind;
    return 0;
}
