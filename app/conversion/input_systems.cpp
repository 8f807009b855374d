#include "conversion/input_systems.h"

#include "conversion/file_steps.h"
#include "crs/answer_cache.h"
#include "files/folder_checks.h"
#include "formats/auxiliary/aux_file.h"
#include "formats/geotiff/geotiff.h"
#include "projection/projection_list.h"
#include "text/catalogue.h"
#include "values/paths.h"

namespace marlo {

namespace {

// A system for a table: the projection list's entry for its EPSG code (which keeps MapInfo's
// own datum numbers), else the clause GDAL writes for it, else the name of a system no clause
// holds.
InputSystem ForTable(const Environment& env, const RunPlan& plan, const std::string& wkt) {
    InputSystem system;
    system.stated = true;
    const CoordinateSystemCode code = EpsgCodeOf(env, wkt);
    if (const auto listed =
            code.epsg != 0 ? EntryForCode(plan.codeList, code.epsg) : std::nullopt) {
        system.clause = CoordSysClause(*listed);
    } else if (const auto clause = ClauseOfSystem(env, wkt)) {
        system.clause = *clause;
    } else {
        system.unwritable = SystemName(env, wkt);
        system.unwritableReason = WhyNoClause(BridgeOf(env), wkt);
    }
    return system;
}

// What a TIFF's GeoKeys state, for a table; the list settles a listed code without GDAL.
InputSystem KeyedSystemForTable(const Environment& env, const RunPlan& plan,
                                const std::string& path) {
    InputSystem system;
    const CoordinateSystemCode code = ReadGeoTiffSystem(env.libraries.Pelcor(), path);
    if (const auto listed =
            code.epsg != 0 ? EntryForCode(plan.codeList, code.epsg) : std::nullopt) {
        system.stated = true;
        system.clause = CoordSysClause(*listed);
        return system;
    }
    const GeoKeyTags keys = ReadGeoKeyTags(env.libraries.Pelcor(), path);
    if (!KeysStateASystem(keys)) {
        return system;
    }
    const auto wkt = SystemOfKeys(env, keys);
    if (wkt && wkt->empty()) {
        // GDAL reads no system from these keys.
        return system;
    }
    if (!wkt) {
        system.stated = true;
        system.gdalFailed = true;
        return system;
    }
    return ForTable(env, plan, *wkt);
}

// The system a side file's text states (an .aux.xml's SRS, a .prj); "" for none.
std::string SystemIn(const Environment& env, const std::optional<std::string>& definition) {
    return definition ? SystemOfDefinition(env, *definition).value_or("") : std::string();
}

// What a GeoTIFF states, for a table, where GDAL takes it: its .aux.xml before its keys.
InputSystem ImageSystemForTable(const Environment& env, const RunPlan& plan,
                                const std::string& path) {
    if (const std::string aux = SystemIn(env, ReadAuxSystem(env.texts, env.fileSystem, path));
        !aux.empty()) {
        return ForTable(env, plan, aux);
    }
    return KeyedSystemForTable(env, plan, path);
}

// A world file's image states a system as GDAL reads it: its .aux.xml first, then its own
// keys, then its .prj.
InputSystem WorldFileSystem(const Environment& env, const RunPlan& plan,
                            const std::string& worldFile) {
    const auto image = FindImageFor(env.fileSystem, worldFile);
    if (!image) {
        return {};
    }
    const bool tableOutput = plan.outputFormat == FileFormat::TAB;
    if (const std::string aux = SystemIn(env, ReadAuxSystem(env.texts, env.fileSystem, *image));
        !aux.empty()) {
        return tableOutput ? ForTable(env, plan, aux) : InputSystem{true, "", "", aux, false};
    }
    if (tableOutput) {
        if (InputSystem keyed = KeyedSystemForTable(env, plan, *image); keyed.stated) {
            return keyed;
        }
    }
    const std::string prj = SystemIn(env, ReadPrjText(env.texts, env.fileSystem, *image));
    if (prj.empty()) {
        return {};
    }
    return tableOutput ? ForTable(env, plan, prj) : InputSystem{true, "", "", prj, true};
}

// A GeoTIFF system that carries none: the input's could not be written.
OutputSystem LostSystem() {
    OutputSystem lost;
    lost.geotiff.source = GeoTiffSystem::Source::None;
    lost.lost = true;
    return lost;
}

OutputSystem ForGeoTiff(GeoTiffSystem system) {
    OutputSystem output;
    output.geotiff = std::move(system);
    return output;
}

// The GeoTIFF system for a system GDAL reads: the EPSG code it is sure of, else its keys for
// it; none (lost) when it can write no keys for it.
OutputSystem GeoTiffSystemOf(const Environment& env, const std::string& wkt) {
    using Source = GeoTiffSystem::Source;
    if (const CoordinateSystemCode code = EpsgCodeOf(env, wkt); code.epsg != 0) {
        return ForGeoTiff({Source::EpsgCode, code, {}, false});
    }
    if (auto keys = KeysOfSystem(env, wkt)) {
        return ForGeoTiff({Source::GdalKeys, {}, std::move(*keys), false});
    }
    return LostSystem();
}

// The GeoTIFF system for a CoordSys clause (a table's, or the chosen projection's): the
// projection list's code, else what GDAL makes of it; none (lost) when GDAL cannot read it.
OutputSystem GeoTiffSystemOfClause(const Environment& env, const RunPlan& plan,
                                   const std::string& clause) {
    using Source = GeoTiffSystem::Source;
    if (const auto listed = EntryForClause(plan.codeList, clause)) {
        return ForGeoTiff({Source::EpsgCode, SystemOf(*listed), {}, false});
    }
    if (const auto wkt = SystemOfClause(env, clause)) {
        return GeoTiffSystemOf(env, *wkt);
    }
    // Whatever system the image's own keys stated, the output must not carry it for this table.
    return LostSystem();
}

// A GeoTIFF made from a world file: the system of the image's .aux.xml goes into the keys;
// else the image's own keys stay, and only an image without them takes its .prj's system,
// the chosen projection, or none ("" chosen).
OutputSystem GeoTiffSystemForWorldFile(const Environment& env, const RunPlan& plan,
                                       const InputSystem& own) {
    if (!own.wkt.empty() && !own.fromPrj) {
        return GeoTiffSystemOf(env, own.wkt);
    }
    OutputSystem system = ForGeoTiff({GeoTiffSystem::Source::None, {}, {}, true});
    if (!own.wkt.empty()) {
        system = GeoTiffSystemOf(env, own.wkt);
    } else if (plan.coordSysClause.rfind("CoordSys", 0) == 0) {
        system = GeoTiffSystemOfClause(env, plan, plan.coordSysClause);
    }
    system.geotiff.unlessImageStatesOne = true;
    return system;
}

const InputSystem* InputSystemOf(const RunPlan& plan, std::size_t file) {
    return file < plan.inputSystems.size() ? &plan.inputSystems[file] : nullptr;
}

}  // namespace

bool RunNeedsCodeList(const RunPlan& plan) {
    return plan.outputFormat == FileFormat::TAB || plan.outputFormat == FileFormat::GeoTIFF ||
           plan.inputFormat == FileFormat::TAB;
}

bool RunNotesInputSystems(const RunPlan& plan) {
    const bool tableOutput = plan.outputFormat == FileFormat::TAB;
    const bool imageOutput = plan.outputFormat == FileFormat::GeoTIFF;
    return (tableOutput && plan.inputFormat == FileFormat::GeoTIFF) ||
           ((tableOutput || imageOutput) && plan.inputFormat == FileFormat::TFW);
}

InputSystem StatedSystemOf(const Environment& env, const RunPlan& plan, const std::string& path) {
    return plan.inputFormat == FileFormat::GeoTIFF ? ImageSystemForTable(env, plan, path)
                                                   : WorldFileSystem(env, plan, path);
}

InputSystem SideFilesRefused(const std::string& why) {
    InputSystem refused;
    refused.stated = true;
    refused.sideFileRefusal = why;
    return refused;
}

OutputSystem OwnOutputSystem(const Environment& env, const RunPlan& plan, std::size_t file,
                             const std::string& tableCoordSys) {
    const InputSystem* own = InputSystemOf(plan, file);
    if (plan.outputFormat == FileFormat::GeoTIFF && plan.inputFormat == FileFormat::TAB) {
        // A table without CoordSys leaves the image's own keys.
        return tableCoordSys.empty() ? OutputSystem{}
                                     : GeoTiffSystemOfClause(env, plan, tableCoordSys);
    }
    if (plan.outputFormat == FileFormat::GeoTIFF && own != nullptr) {
        return GeoTiffSystemForWorldFile(env, plan, *own);
    }
    OutputSystem system;
    if (own != nullptr) {
        system.clause = own->clause;
    }
    return system;
}

void RequireOwnSystemWritable(const Texts& texts, const RunPlan& plan, std::size_t file) {
    const InputSystem* own = InputSystemOf(plan, file);
    if (own != nullptr && !own->sideFileRefusal.empty()) {
        throw Refusal(own->sideFileRefusal);
    }
    if (own != nullptr && own->gdalFailed) {
        throw GdalFailure("GeoKeys");
    }
    if (plan.outputFormat != FileFormat::TAB || own == nullptr) {
        return;
    }
    // Reached only when the run was told to go on without a projection for such inputs.
    if (!own->stated && !own->unreadable && plan.coordSysClause.empty()) {
        throw Refusal(texts.MessageWithPath(msg::NoSystemOfItsOwn, plan.InputPath(file), kCr));
    }
    if (own->unwritable.empty()) {
        return;
    }
    // Quoted: a system's name may hold " / " and blanks, as a path does.
    const std::string reason = own->unwritableReason.empty() ? "" : ": " + own->unwritableReason;
    throw Refusal(texts.Message(msg::SystemNotWritableInTable) + " \"" + own->unwritable + "\"" +
                  reason + kCr + plan.InputPath(file));
}

AuxText AuxTextForWorldFile(const Environment& env, const RunPlan& plan,
                            const std::string& tableCoordSys, const std::string& imagePath) {
    if (tableCoordSys.empty() ||
        KeysStateASystem(ReadGeoKeyTags(env.libraries.Pelcor(), imagePath))) {
        return {};
    }
    std::optional<std::string> wkt;
    if (const auto listed = EntryForClause(plan.codeList, tableCoordSys)) {
        wkt = SystemOfDefinition(env, "EPSG:" + std::to_string(listed->epsg));
    }
    if (!wkt) {
        wkt = SystemOfClause(env, tableCoordSys);
    }
    const auto aux = wkt ? AuxiliaryFormOf(env, *wkt) : std::nullopt;
    if (!aux) {
        return {"", true};
    }
    const std::string path = AuxFilePath(imagePath);
    RequireNotAnInput(env.texts, plan.inputs, path);
    const auto text = AuxTextWithSystem(env.texts, env.fileSystem, imagePath, *aux);
    if (!text) {
        throw UnableToUpdate(env.texts, path);
    }
    return {*text, false};
}

}  // namespace marlo
