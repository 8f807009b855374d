#include "crs/coordinate_systems.h"

#include <map>
#include <memory>
#include <utility>

#include "crs/gdal/crs_bridge.h"
#include "platform/bound_libraries.h"
#include "text/catalogue.h"

namespace marlo {

namespace {

constexpr const char* kBridgeLibrary = "libmarlo_crs.so";

// A bridge function that, when the bridge is not installed (it comes in a package of its own),
// refuses the question with a message naming that package instead of a run-time error.
template <class Result, class... Args>
auto BridgeCall(LazyFunction<Result(Args...)>& function) {
    return [&function](Args... args) -> Result {
        try {
            return function(args...);
        } catch (const RunTimeError& error) {
            if (error.number() != err::FileNotFound) {
                throw;
            }
            throw Refusal(MessageText(msg::GdalBridgeMissing));
        }
    };
}

#define MARLO_BRIDGE(function) BridgeCall(MARLO_BOUND(kBridgeLibrary, function))

// Takes over a text the bridge allocated; nothing for none.
std::optional<std::string> Taken(char* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    std::string taken = text;
    MARLO_BRIDGE(marloCrsFree)(text);
    return taken;
}

// Answers of GDAL kept per question: they never change within a process.
template <class Answer>
const Answer& Remembered(std::map<std::string, Answer>& answers, const std::string& question,
                         auto ask) {
    auto found = answers.find(question);
    if (found == answers.end()) {
        found = answers.emplace(question, ask()).first;
    }
    return found->second;
}

}  // namespace

std::optional<std::string> SystemOfClause(const std::string& clause) {
    static std::map<std::string, std::optional<std::string>> answers;
    return Remembered(answers, clause,
                      [&] { return Taken(MARLO_BRIDGE(marloCrsFromMapInfo)(clause.c_str())); });
}

std::optional<std::string> ClauseOfSystem(const std::string& wkt) {
    static std::map<std::string, std::optional<std::string>> answers;
    return Remembered(answers, wkt,
                      [&] { return Taken(MARLO_BRIDGE(marloCrsToMapInfo)(wkt.c_str())); });
}

std::optional<std::string> SystemOfDefinition(const std::string& definition) {
    static std::map<std::string, std::optional<std::string>> answers;
    return Remembered(answers, definition, [&] {
        return Taken(MARLO_BRIDGE(marloCrsFromDefinition)(definition.c_str()));
    });
}

CoordinateSystemCode EpsgCodeOf(const std::string& wkt) {
    static std::map<std::string, CoordinateSystemCode> answers;
    return Remembered(answers, wkt, [&] {
        std::int32_t geographic = 0;
        const std::int32_t code = MARLO_BRIDGE(marloCrsEpsgCode)(wkt.c_str(), &geographic);
        return CoordinateSystemCode{geographic != 0, code};
    });
}

bool SameSystem(const std::string& wkt, const std::string& otherWkt) {
    return MARLO_BRIDGE(marloCrsSame)(wkt.c_str(), otherWkt.c_str()) == 1;
}

std::string SystemName(const std::string& wkt) {
    return Taken(MARLO_BRIDGE(marloCrsName)(wkt.c_str())).value_or("");
}

std::optional<std::vector<MapPoint>> ToWgs84(const std::string& wkt,
                                             const std::vector<MapPoint>& points) {
    std::vector<double> x;
    std::vector<double> y;
    for (const MapPoint& point : points) {
        x.push_back(point.x);
        y.push_back(point.y);
    }
    const auto count = static_cast<std::int32_t>(points.size());
    if (MARLO_BRIDGE(marloCrsToWgs84)(wkt.c_str(), x.data(), y.data(), count) != 1) {
        return std::nullopt;
    }
    std::vector<MapPoint> moved;
    for (std::size_t i = 0; i < points.size(); ++i) {
        moved.push_back({x[i], y[i]});
    }
    return moved;
}

std::optional<AuxiliarySystem> AuxiliaryFormOf(const std::string& wkt) {
    char mapping[16] = {};
    auto text = Taken(MARLO_BRIDGE(marloCrsAuxWkt)(wkt.c_str(), mapping));
    if (!text) {
        return std::nullopt;
    }
    return AuxiliarySystem{std::move(*text), mapping};
}

bool WriteKeyFile(const std::string& wkt, const std::string& path) {
    return MARLO_BRIDGE(marloCrsWriteKeyFile)(wkt.c_str(), path.c_str()) == 1;
}

std::optional<std::string> ReadKeyFile(const std::string& path) {
    return Taken(MARLO_BRIDGE(marloCrsReadKeyFile)(path.c_str()));
}

}  // namespace marlo
