// The analysis of a fleet larger than a race file holds: reads each race file
// as `tackedit-cli analyse` does, puts all their boats into the first race and
// analyses them together. Prints how many boats ended in each status.
//   bench-analyse WORKSPACE RACEFILE...

#include "replay/analysis_input.h"
#include "base/data_error.h"

#include <cstdio>
#include <map>
#include <string>

int main(int argc, char** argv)
{
    using namespace tackedit;
    if (argc < 3) {
        std::fputs("usage: bench-analyse WORKSPACE RACEFILE...\n", stderr);
        return 2;
    }
    const std::string app_dir = std::string(argv[1]) + "/";
    try {
        AnalysisInput fleet = ReadAnalysisInput(app_dir, argv[2]);
        for (int k = 3; k < argc; ++k) {
            AnalysisInput more = ReadAnalysisInput(app_dir, argv[k]);
            for (auto& boat : more.race.boats)
                fleet.race.boats.push_back(std::move(boat));
        }
        const analysis::RaceAnalysis result = analysis::AnalyseRace(fleet.race);
        std::map<std::string, int> statuses;
        for (const auto& boat : result.boats)
            ++statuses[analysis::StatusCode(boat.status)];
        std::printf("%zu boats", result.boats.size());
        for (const auto& [status, count] : statuses)
            std::printf(", %d %s", count, status.c_str());
        std::printf("\n");
    } catch (const DataError& e) {
        std::fprintf(stderr, "bench-analyse: %s\n", e.what());
        return 1;
    }
    return 0;
}
