// The footprints of 10,000 sheets: how long the summary window takes to map them (grouping,
// outliers, outlines, fit), and the footprint index to be written (each sheet moved to WGS 84
// by GDAL). Prints the median of five rounds of each.
//   build/bin/map_bench [SHEETS]      (Qt's offscreen platform unless told otherwise)
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "conversion/footprints.h"
#include "ui/qt_user_interaction.h"
#include "ui/summary_window.h"

namespace {

using Clock = std::chrono::steady_clock;

marlo::RunOutcome Sheets(int count) {
    marlo::RunOutcome outcome;
    const int side = static_cast<int>(std::ceil(std::sqrt(count)));
    for (int i = 0; i < count; ++i) {
        const double x = 500000 + (i % side) * 320.0;
        const double y = 600000 - (i / side) * 240.0;
        marlo::FileReport report{"sheet" + std::to_string(i) + ".tfw", marlo::FileResult::Converted,
                                 "", std::nullopt};
        report.footprint = marlo::Footprint{
            {marlo::MapPoint{x, y}, {x + 320, y}, {x + 320, y - 240}, {x, y - 240}},
            "EPSG:2180",
            {640, 480},
            "/maps/sheet" + std::to_string(i) + ".tab"};
        outcome.files.push_back(report);
    }
    outcome.total = outcome.converted = static_cast<std::size_t>(count);
    outcome.done = true;
    return outcome;
}

template <class Work>
double MedianSeconds(Work work) {
    std::vector<double> rounds;
    for (int round = 0; round < 5; ++round) {
        const auto start = Clock::now();
        work();
        rounds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
    std::sort(rounds.begin(), rounds.end());
    return rounds[2];
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const marlo::RunOutcome outcome = Sheets(count);
    marlo::ui::QtUserInteraction dialogs;
    const marlo::Environment env(dialogs);
    marlo::ui::SummaryWindow window(env, {[] {}, [] {}, [] {}, [] {}}, nullptr);
    const double map = MedianSeconds([&] {
        window.Show(outcome);
        QApplication::processEvents();
    });
    std::size_t leftOut = 0;
    std::size_t bytes = 0;
    const double index =
        MedianSeconds([&] { bytes = marlo::FootprintsGeoJson(env, outcome, leftOut).size(); });
    std::printf(
        "%d sheets: summary window with its map %.3f s, footprint index %.3f s "
        "(%zu bytes, %zu left out); medians of 5\n",
        count, map, index, bytes, leftOut);
    return leftOut == 0 ? 0 : 1;
}
