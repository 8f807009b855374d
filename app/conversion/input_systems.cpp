#include "conversion/input_systems.h"

#include "crs/coordinate_systems.h"
#include "formats/auxiliary/aux_file.h"
#include "formats/geotiff/geotiff.h"
#include "projection/projection_choice.h"
#include "projection/projection_list.h"
#include "state/folder_checks.h"
#include "state/paths.h"
#include "text/catalogue.h"

namespace marlo {

namespace {

// A system for a table: the projection list's entry for its EPSG code (which keeps MapInfo's
// own datum numbers), else the clause GDAL writes for it, else the name of a system no clause
// holds.
InputSystem ForTable(const ConversionContext& form, const std::string& wkt) {
    InputSystem system;
    system.stated = true;
    const CoordinateSystemCode code = EpsgCodeOf(wkt);
    if (const auto listed =
            code.epsg != 0 ? EntryForCode(form.codeList, code.epsg) : std::nullopt) {
        system.clause = CoordSysClause(*listed);
    } else if (const auto clause = ClauseOfSystem(wkt)) {
        system.clause = *clause;
    } else {
        system.unwritable = SystemName(wkt);
    }
    return system;
}

// What a TIFF's GeoKeys state, for a table; the list settles a listed code without GDAL.
InputSystem KeyedSystemForTable(const ConversionContext& form, const std::string& path) {
    InputSystem system;
    const CoordinateSystemCode code = ReadGeoTiffSystem(form.pelcorLibrary, path);
    if (const auto listed =
            code.epsg != 0 ? EntryForCode(form.codeList, code.epsg) : std::nullopt) {
        system.stated = true;
        system.clause = CoordSysClause(*listed);
        return system;
    }
    const GeoKeyTags keys = ReadGeoKeyTags(form.pelcorLibrary, path);
    if (!KeysStateASystem(keys)) {
        return system;
    }
    const auto wkt = SystemOfKeys(form.pelcorLibrary, keys);
    if (wkt && wkt->empty()) {
        // GDAL reads no system from these keys.
        return system;
    }
    if (!wkt) {
        system.stated = true;
        system.unwritable = "EPSG:" + std::to_string(code.epsg);
        return system;
    }
    return ForTable(form, *wkt);
}

// The system a side file's text states (an .aux.xml's SRS, a .prj); "" for none.
std::string SystemIn(const std::optional<std::string>& definition) {
    return definition ? SystemOfDefinition(*definition).value_or("") : std::string();
}

// A world file's image states a system as GDAL reads it: its .aux.xml first, then its own
// keys, then its .prj.
InputSystem WorldFileSystem(const ConversionContext& form, const std::string& worldFile) {
    const auto image = FindImageFor(form, worldFile);
    if (!image) {
        return {};
    }
    const bool tableOutput = form.outputFormat == format::TAB;
    if (const std::string aux = SystemIn(ReadAuxSystem(form.fileSystem, *image)); !aux.empty()) {
        return tableOutput ? ForTable(form, aux) : InputSystem{true, "", "", aux, false};
    }
    if (tableOutput) {
        if (InputSystem keyed = KeyedSystemForTable(form, *image); keyed.stated) {
            return keyed;
        }
    }
    const std::string prj = SystemIn(ReadPrjText(form.fileSystem, *image));
    if (prj.empty()) {
        return {};
    }
    return tableOutput ? ForTable(form, prj) : InputSystem{true, "", "", prj, true};
}

// The GeoTIFF system for a system GDAL reads: the EPSG code it is sure of, else its keys for
// it; none (noted for the run's end) when it can write no keys for it.
GeoTiffSystem GeoTiffSystemOf(ConversionContext& form, const std::string& wkt,
                              const std::string& entry) {
    using Source = GeoTiffSystem::Source;
    if (const CoordinateSystemCode code = EpsgCodeOf(wkt); code.epsg != 0) {
        return {Source::EpsgCode, code, {}, false};
    }
    if (auto keys = KeysOfSystem(form.pelcorLibrary, wkt)) {
        return {Source::GdalKeys, {}, std::move(*keys), false};
    }
    form.lastRun.withoutSystem.push_back(entry);
    return {Source::None, {}, {}, false};
}

// The GeoTIFF system for a CoordSys clause (a table's, or the chosen projection's): the
// projection list's code, else what GDAL makes of it; none (noted) when GDAL cannot read it.
GeoTiffSystem GeoTiffSystemOfClause(ConversionContext& form, const std::string& clause,
                                    const std::string& entry) {
    using Source = GeoTiffSystem::Source;
    if (const auto listed = EntryForClause(form.codeList, clause)) {
        return {Source::EpsgCode, SystemOf(*listed), {}, false};
    }
    if (const auto wkt = SystemOfClause(clause)) {
        return GeoTiffSystemOf(form, *wkt, entry);
    }
    // Whatever system the image's own keys stated, the output must not carry it for this table.
    form.lastRun.withoutSystem.push_back(entry);
    return {Source::None, {}, {}, false};
}

// A GeoTIFF made from a world file: the system of the image's .aux.xml goes into the keys;
// else the image's own keys stay, and only an image without them takes its .prj's system,
// the chosen projection, or none ("" chosen).
GeoTiffSystem GeoTiffSystemForWorldFile(ConversionContext& form, const InputSystem& own,
                                        const std::string& entry) {
    using Source = GeoTiffSystem::Source;
    if (!own.wkt.empty() && !own.fromPrj) {
        return GeoTiffSystemOf(form, own.wkt, entry);
    }
    GeoTiffSystem system{Source::None, {}, {}, true};
    if (!own.wkt.empty()) {
        system = GeoTiffSystemOf(form, own.wkt, entry);
    } else if (form.coordSysClause.rfind("CoordSys", 0) == 0) {
        system = GeoTiffSystemOfClause(form, form.coordSysClause, entry);
    }
    system.unlessImageStatesOne = true;
    return system;
}

const InputSystem* InputSystemOf(const ConversionContext& form, std::size_t file) {
    return file < form.inputSystems.size() ? &form.inputSystems[file] : nullptr;
}

}  // namespace

void PrepareCoordinateSystems(ConversionContext& form) {
    form.codeList.clear();
    form.inputSystems.clear();
    form.offerOwnSystems = false;
    const bool tableOutput = form.outputFormat == format::TAB;
    const bool imageOutput = form.outputFormat == format::GeoTIFF;
    if (tableOutput || imageOutput || form.inputFormat == format::TAB) {
        form.codeList = CodeList(form);
    }
    const bool fromImages = tableOutput && form.inputFormat == format::GeoTIFF;
    const bool fromWorldFiles = (tableOutput || imageOutput) && form.inputFormat == format::TFW;
    if (!fromImages && !fromWorldFiles) {
        return;
    }
    for (const std::string& entry : form.inputFiles) {
        const std::string path = JoinPath(form.inputFolder, entry);
        form.inputSystems.push_back(fromImages ? KeyedSystemForTable(form, path)
                                               : WorldFileSystem(form, path));
    }
    form.offerOwnSystems = true;
}

void TakeOwnSystem(ConversionContext& form, std::size_t file) {
    form.outputSystem = {};
    form.fileCoordSysClause.clear();
    const std::string& entry = form.inputFiles.at(file);
    const InputSystem* own = InputSystemOf(form, file);
    if (form.outputFormat == format::GeoTIFF && form.inputFormat == format::TAB) {
        // A table without CoordSys leaves the image's own keys.
        if (!form.tableCoordSys.empty()) {
            form.outputSystem = GeoTiffSystemOfClause(form, form.tableCoordSys, entry);
        }
    } else if (form.outputFormat == format::GeoTIFF && own != nullptr) {
        form.outputSystem = GeoTiffSystemForWorldFile(form, *own, entry);
    } else if (own != nullptr) {
        form.fileCoordSysClause = own->clause;
    }
}

bool OwnSystemWritable(ConversionContext& form, std::size_t file) {
    const InputSystem* own = InputSystemOf(form, file);
    if (form.outputFormat != format::TAB || own == nullptr || own->unwritable.empty()) {
        return true;
    }
    form.Fail(Refusal(MessageText(msg::SystemNotWritableInTable) + " " + own->unwritable + kCr +
                      JoinPath(form.inputFolder, form.inputFiles[file])));
    return false;
}

std::string AuxTextForWorldFile(ConversionContext& form, const std::string& imagePath) {
    if (form.tableCoordSys.empty() ||
        KeysStateASystem(ReadGeoKeyTags(form.pelcorLibrary, imagePath))) {
        return {};
    }
    std::optional<std::string> wkt;
    if (const auto listed = EntryForClause(form.codeList, form.tableCoordSys)) {
        wkt = SystemOfDefinition("EPSG:" + std::to_string(listed->epsg));
    }
    if (!wkt) {
        wkt = SystemOfClause(form.tableCoordSys);
    }
    const auto aux = wkt ? AuxiliaryFormOf(*wkt) : std::nullopt;
    if (!aux) {
        form.lastRun.withoutSystem.push_back(GetFileNameAndType(imagePath));
        return {};
    }
    const std::string path = AuxFilePath(imagePath);
    RequireNotAnInput(form, path);
    const auto text = AuxTextWithSystem(form.fileSystem, imagePath, *aux);
    if (!text) {
        throw UnableToUpdate(path);
    }
    return *text;
}

}  // namespace marlo
