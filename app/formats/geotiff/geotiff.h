#pragma once

#include <optional>
#include <string>

#include "environment/environment.h"
#include "platform/kept_answers.h"
#include "values/georeference.h"

namespace marlo {

// A GeoTIFF's georeference as Pelcor gives it (world-file values, placed as GDAL places the
// image whatever its raster type), with the coordinate system its keys state by code.
struct GeoTiffContents {
    Georeference georeference;
    CoordinateSystemCode system;
};

// The georeference in the tags of the TIFF at `path`, read by Pelcor (`pelcor`).
// Refuses tags Pelcor cannot read (message 11).
GeoTiffContents ReadGeoTiff(const Texts& texts, BoundLibrary& pelcor, const std::string& path);
// The coordinate system the GeoKeys of the TIFF at `path` state; code 0 when they state none
// or the file cannot be read.
CoordinateSystemCode ReadGeoTiffSystem(BoundLibrary& pelcor, const std::string& path);
// How the tags are written: into a fresh copy, or into an image where it stands, crash-safe
// (appended and made durable before the header points at them).
enum class TagWriting { IntoCopy, InPlace };

// Writes the georeference into the tags of the TIFF at `path`, declaring PixelIsPoint and the
// coordinate system (by code, or by GDAL's keys); refuses (message 17, naming `shownPath`)
// when Pelcor cannot.
void WriteGeoTiff(const Texts& texts, BoundLibrary& pelcor, const std::string& path,
                  const Georeference& georeference, const GeoTiffSystem& system,
                  const std::string& shownPath, TagWriting writing = TagWriting::IntoCopy);

// Refuses an image that its tags cannot be written into where it stands: one another program
// holds a lock on (message 50), one that keeps its directories before its pixel data as a
// cloud-optimised GeoTIFF does (message 51); one Pelcor cannot open for update (message 29).
void RequireWritableInPlace(const Texts& texts, BoundLibrary& pelcor, const std::string& path);
// Whether the TIFF's tags state a georeference (any georeference tag); false when unreadable.
bool StatesAGeoreference(BoundLibrary& pelcor, const std::string& path);

// The GeoKey tags of the TIFF at `path`; none when it has none or cannot be read.
GeoKeyTags ReadGeoKeyTags(BoundLibrary& pelcor, const std::string& path);
// Whether the keys say anything of a coordinate system (a model type or any system key), not
// only of the raster type.
bool KeysStateASystem(const GeoKeyTags& keys);
// The coordinate system GDAL reads from the keys: "" when they state none; nothing when GDAL
// cannot be asked. GDAL reads them in memory; an answer kept by an earlier process (`kept`,
// the Environment's bridge answers) is given without asking it.
std::optional<std::string> SystemOfKeys(const Environment& env, const GeoKeyTags& keys);
// The keys GDAL writes for a system; nothing when it writes none; run-time error 5 when GDAL
// cannot be asked.
std::optional<GeoKeyTags> KeysOfSystem(const Environment& env, const std::string& wkt);
// The pixel width and height of the image at `path`, measured by Vantrel (`vantrel`);
// zero for anything that is not a readable TIFF, and zero with the error a call would raise
// when the library or one of its functions cannot be bound.
ReportedResult<ImageSize> MeasureImage(BoundLibrary& vantrel, const std::string& path);

}  // namespace marlo
