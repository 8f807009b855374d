/* libmarlo_crs: the program's bridge to GDAL's spatial-reference API, loaded only when a run
 * meets a coordinate system that the projection list does not settle. Systems cross it as WKT
 * (WKT2_2019 text); every returned text is the caller's to release with marloCrsFree, and NULL
 * means "none" or "cannot". No function writes to standard error. */
#ifndef MARLO_CRS_BRIDGE_H
#define MARLO_CRS_BRIDGE_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define MARLO_CRS_EXPORT __attribute__((visibility("default")))

/* The system a MapInfo CoordSys clause ("CoordSys Earth Projection ...") states. */
MARLO_CRS_EXPORT char* marloCrsFromMapInfo(const char* clause);
/* A CoordSys clause that GDAL reads back as the same system: GDAL's own, else one built from
 * the system's parameters; NULL when there is none (MapInfo has no type for the method, or
 * GDAL reads every clause for it as another system). */
MARLO_CRS_EXPORT char* marloCrsToMapInfo(const char* wkt);
/* The system's projection method as GDAL names it ("" for a geographic system), with whether
 * MapInfo has a projection type for it in *mapInfoHasIt: why no clause holds a system. */
MARLO_CRS_EXPORT char* marloCrsMethod(const char* wkt, int32_t* mapInfoHasIt);
/* 1 when a table can state the system's datum: it is WGS 84 to PROJ, or PROJ has a shift of
 * seven parameters or fewer from it to WGS 84 in the middle of the system's area that places
 * it there within 1 m of PROJ's best transformation (which may be a grid); 0 otherwise. */
MARLO_CRS_EXPORT int32_t marloCrsDatumShiftKnown(const char* wkt);
/* "EPSG:<code>", or the text of a .prj file (ESRI or OGC WKT). */
MARLO_CRS_EXPORT char* marloCrsFromDefinition(const char* text);
/* The EPSG code that GDAL finds as the single best match (EPSG's own authority, at least 90 %
 * confidence); 0 otherwise. *geographic says whether it is a geographic system. */
MARLO_CRS_EXPORT int32_t marloCrsEpsgCode(const char* wkt, int32_t* geographic);
/* 1 when the two systems are the same as far as placing an image goes: GDAL's own comparison,
 * or the same PROJ definition once the datum shift parameters are set aside. */
MARLO_CRS_EXPORT int32_t marloCrsSame(const char* wkt, const char* otherWkt);
/* The system's name, as GDAL gives it; for a system GDAL names "unknown" or "unnamed", its PROJ
 * definition. */
MARLO_CRS_EXPORT char* marloCrsName(const char* wkt);
/* The WKT that GDAL's own auxiliary files (.aux.xml) hold: WKT1 where it can say the system,
 * else WKT2; with the axis mapping of GIS order ("1,2" or "2,1") in *mapping (room for 16). */
MARLO_CRS_EXPORT char* marloCrsAuxWkt(const char* wkt, char* mapping);
/* The system GDAL reads from a GeoTIFF that carries the three GeoKey tags (directory values,
 * doubles, ASCII text without its final NUL): "" when they state none; NULL when GDAL cannot
 * be asked. Works in GDAL's memory: no file is made. */
MARLO_CRS_EXPORT char* marloCrsSystemOfKeys(const uint16_t* directory, int32_t directoryCount,
                                            const double* doubles, int32_t doubleCount,
                                            const char* ascii, int32_t asciiLength);
/* The GeoKey tags GDAL writes for the system. On entry each count is its array's room; on
 * return the size of the tag (0 for none). Returns 1 when done (a directory count of 0: GDAL
 * writes no keys for it), 2 when an array is too small (the counts say how much is needed),
 * 0 when GDAL cannot be asked. No file is made. */
MARLO_CRS_EXPORT int32_t marloCrsKeysOfSystem(const char* wkt, uint16_t* directory,
                                              int32_t* directoryCount, double* doubles,
                                              int32_t* doubleCount, char* ascii,
                                              int32_t* asciiLength);
/* What the bridge keeps between calls for its caller (the transformations it has set up): made
 * by marloCrsContextCreate, released with everything in it by marloCrsContextDestroy, which
 * the caller calls before it unloads the bridge. NULL when it cannot be made. */
typedef struct MarloCrsContext MarloCrsContext;
MARLO_CRS_EXPORT MarloCrsContext* marloCrsContextCreate(void);
MARLO_CRS_EXPORT void marloCrsContextDestroy(MarloCrsContext* context);
/* Moves count points (x, y in the system's easting/northing or longitude/latitude order) to
 * WGS 84 longitude and latitude, in place, with the transformation the context keeps for the
 * system. 1 when every point was moved; 0 leaves them as they were. */
MARLO_CRS_EXPORT int32_t marloCrsToWgs84(MarloCrsContext* context, const char* wkt, double* x,
                                         double* y, int32_t count);
MARLO_CRS_EXPORT void marloCrsFree(char* text);

#ifdef __cplusplus
}
#endif

#endif /* MARLO_CRS_BRIDGE_H */
