#pragma once

#include <cstddef>
#include <string>

#include "state/conversion_context.h"

namespace marlo {

// The coordinate systems a run carries. An output carries its input's system or none, never
// another: the chosen projection serves only inputs that state none.

// Reads the list codes are looked up in, and what each input states of its system, for table
// output and for GeoTIFFs made from world files.
void PrepareCoordinateSystems(ConversionContext& form);

// Sets the system of the file's output: fileCoordSysClause for a table, outputSystem for a
// GeoTIFF. A system GDAL cannot write into the GeoTIFF is noted in lastRun.withoutSystem.
void TakeOwnSystem(ConversionContext& form, std::size_t file);

// Refuses (and shows) an input whose system no table can hold; false then.
bool OwnSystemWritable(ConversionContext& form, std::size_t file);

// A table's system for the world file written beside `imagePath`: what its .aux.xml gets, as
// text ready to be written; "" when the image keeps its own keys or the table states none.
// Refuses an auxiliary file that cannot take it, before anything is written.
std::string AuxTextForWorldFile(ConversionContext& form, const std::string& imagePath);

}  // namespace marlo
