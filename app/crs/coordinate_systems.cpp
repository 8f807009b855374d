#include "crs/coordinate_systems.h"

#include <memory>
#include <utility>

#include "crs/gdal/crs_bridge.h"
#include "platform/bound_libraries.h"
#include "text/catalogue.h"

namespace marlo {

namespace {

// A bridge function that, when the bridge is not installed (it comes in a package of its own),
// refuses the question with a message naming that package instead of a run-time error.
template <class Result, class... Args>
auto BridgeCall(const GdalBridge& bridge, BoundFunction<Result(Args...)> function) {
    return [&bridge, function](Args... args) -> Result {
        if (std::optional<RunTimeError> unbound = function.Unavailable()) {
            if (unbound->number() != err::FileNotFound) {
                throw std::move(*unbound);
            }
            throw Refusal(bridge.texts.Message(msg::GdalBridgeMissing));
        }
        return function(args...);
    };
}

#define MARLO_BRIDGE(function) \
    BridgeCall(bridge, MARLO_BOUND(bridge.libraries.bound.Library(kCrsBridgeLibrary), function))

// The bridge's context of this Environment, made on the first question that needs one.
MarloCrsContext* BridgeContext(const GdalBridge& bridge) {
    BoundLibrary& library = bridge.libraries.bound.Library(kCrsBridgeLibrary);
    return library.ContextOf<MarloCrsContext>(
        BridgeCall(bridge, MARLO_BOUND(library, marloCrsContextCreate)),
        MARLO_BOUND(library, marloCrsContextDestroy));
}

// Takes over a text the bridge allocated; nothing for none.
std::optional<std::string> Taken(const GdalBridge& bridge, char* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    std::string taken = text;
    MARLO_BRIDGE(marloCrsFree)(text);
    return taken;
}

}  // namespace

GdalBridge BridgeOf(const Environment& env) {
    return {env.libraries, env.texts};
}

std::optional<std::string> SystemOfClause(const GdalBridge& bridge, const std::string& clause) {
    return Taken(bridge, MARLO_BRIDGE(marloCrsFromMapInfo)(clause.c_str()));
}

std::optional<std::string> ClauseOfSystem(const GdalBridge& bridge, const std::string& wkt) {
    return Taken(bridge, MARLO_BRIDGE(marloCrsToMapInfo)(wkt.c_str()));
}

std::optional<std::string> SystemOfDefinition(const GdalBridge& bridge,
                                              const std::string& definition) {
    return Taken(bridge, MARLO_BRIDGE(marloCrsFromDefinition)(definition.c_str()));
}

CoordinateSystemCode EpsgCodeOf(const GdalBridge& bridge, const std::string& wkt) {
    std::int32_t geographic = 0;
    const std::int32_t code = MARLO_BRIDGE(marloCrsEpsgCode)(wkt.c_str(), &geographic);
    return CoordinateSystemCode{geographic != 0, code};
}

bool SameSystem(const GdalBridge& bridge, const std::string& wkt, const std::string& otherWkt) {
    return MARLO_BRIDGE(marloCrsSame)(wkt.c_str(), otherWkt.c_str()) == 1;
}

std::string SystemName(const GdalBridge& bridge, const std::string& wkt) {
    return Taken(bridge, MARLO_BRIDGE(marloCrsName)(wkt.c_str())).value_or("");
}

std::string WhyNoClause(const GdalBridge& bridge, const std::string& wkt) {
    std::int32_t mapInfoHasIt = 0;
    const auto method = Taken(bridge, MARLO_BRIDGE(marloCrsMethod)(wkt.c_str(), &mapInfoHasIt));
    if (!method) {
        return {};
    }
    const bool datumHeld =
        mapInfoHasIt == 0 || MARLO_BRIDGE(marloCrsDatumShiftKnown)(wkt.c_str()) == 1;
    const std::string reason = bridge.texts.Message(mapInfoHasIt == 0 ? msg::NoMapInfoMethod
                                                    : datumHeld       ? msg::ClauseReadAsAnother
                                                                      : msg::NoDatumShift);
    return method->empty() ? reason : reason + " (" + *method + ")";
}

std::optional<std::vector<MapPoint>> ToWgs84(const GdalBridge& bridge, const std::string& wkt,
                                             const std::vector<MapPoint>& points) {
    std::vector<double> x;
    std::vector<double> y;
    for (const MapPoint& point : points) {
        x.push_back(point.x);
        y.push_back(point.y);
    }
    const auto count = static_cast<std::int32_t>(points.size());
    MarloCrsContext* context = BridgeContext(bridge);
    if (MARLO_BRIDGE(marloCrsToWgs84)(context, wkt.c_str(), x.data(), y.data(), count) != 1) {
        return std::nullopt;
    }
    std::vector<MapPoint> moved;
    for (std::size_t i = 0; i < points.size(); ++i) {
        moved.push_back({x[i], y[i]});
    }
    return moved;
}

std::optional<AuxiliarySystem> AuxiliaryFormOf(const GdalBridge& bridge, const std::string& wkt) {
    char mapping[16] = {};
    auto text = Taken(bridge, MARLO_BRIDGE(marloCrsAuxWkt)(wkt.c_str(), mapping));
    if (!text) {
        return std::nullopt;
    }
    return AuxiliarySystem{std::move(*text), mapping};
}

std::optional<std::string> SystemOfGeoKeys(const GdalBridge& bridge, const GeoKeyTags& keys) {
    return Taken(bridge,
                 MARLO_BRIDGE(marloCrsSystemOfKeys)(
                     keys.directory.data(), static_cast<std::int32_t>(keys.directory.size()),
                     keys.doubles.data(), static_cast<std::int32_t>(keys.doubles.size()),
                     keys.ascii.data(), static_cast<std::int32_t>(keys.ascii.size())));
}

GeoKeyTags GeoKeysOfSystem(const GdalBridge& bridge, const std::string& wkt) {
    auto keysOfSystem = MARLO_BRIDGE(marloCrsKeysOfSystem);
    GeoKeyTags keys;
    // Room for any usual set of keys; a larger one says its size and is asked again.
    std::int32_t sizes[3] = {512, 64, 4096};
    std::int32_t result = 2;
    for (int attempt = 0; attempt < 2 && result == 2; ++attempt) {
        keys.directory.resize(static_cast<std::size_t>(sizes[0]));
        keys.doubles.resize(static_cast<std::size_t>(sizes[1]));
        keys.ascii.resize(static_cast<std::size_t>(sizes[2]));
        result = keysOfSystem(wkt.c_str(), keys.directory.data(), &sizes[0], keys.doubles.data(),
                              &sizes[1], keys.ascii.data(), &sizes[2]);
    }
    if (result != 1) {
        throw GdalFailure("GeoKeys");
    }
    keys.directory.resize(static_cast<std::size_t>(sizes[0]));
    keys.doubles.resize(static_cast<std::size_t>(sizes[1]));
    keys.ascii.resize(static_cast<std::size_t>(sizes[2]));
    return keys;
}

RunTimeError GdalFailure(const std::string& question) {
    return RunTimeError(err::InvalidProcedureCall, "GDAL could not answer (" + question + ")");
}

}  // namespace marlo
