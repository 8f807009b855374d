#pragma once

#include <optional>
#include <string>

#include "crs/coordinate_systems.h"
#include "platform/kept_answers.h"

namespace marlo {

// The questions of coordinate_systems.h, answered from the answers an earlier process kept
// (the per-user cache the Environment holds) where there is one, so that a run in systems met
// before never loads GDAL; else asked of the bridge, and the answer kept. Kept answers hold
// only while they came from the same bridge, GDAL, PROJ and libgeotiff files (path, size and
// modification time), the same PROJ database and the same GDAL/PROJ environment settings: an
// upgrade of any of them empties the cache.

std::optional<std::string> SystemOfClause(const Environment& env, const std::string& clause);
std::optional<std::string> ClauseOfSystem(const Environment& env, const std::string& wkt);
std::optional<std::string> SystemOfDefinition(const Environment& env,
                                              const std::string& definition);
CoordinateSystemCode EpsgCodeOf(const Environment& env, const std::string& wkt);
bool SameSystem(const Environment& env, const std::string& wkt, const std::string& otherWkt);
std::string SystemName(const Environment& env, const std::string& wkt);
std::optional<AuxiliarySystem> AuxiliaryFormOf(const Environment& env, const std::string& wkt);
// Only answers are kept: "GDAL could not be asked" is asked again next time.
std::optional<std::string> SystemOfGeoKeys(const Environment& env, const GeoKeyTags& keys);
GeoKeyTags GeoKeysOfSystem(const Environment& env, const std::string& wkt);

// The settings and files the bridge's answers depend on, as this process finds them (the
// files only once the bridge is loaded).
std::string BridgeSettings();
AnswerSource BridgeAnswerSource();

}  // namespace marlo
