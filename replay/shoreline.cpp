#include "replay/shoreline.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <unistd.h>

namespace tackedit {

namespace {

constexpr double kEps = 1e-9;

// Where on the box's edge a point lies, counterclockwise from the south-west
// corner; negative for a point off the edge.
double AlongEdge(const GeoBox& b, double lon, double lat)
{
    const double w = b[3] - b[1], h = b[2] - b[0];
    if (std::fabs(lat - b[0]) < kEps)
        return lon - b[1];
    if (std::fabs(lon - b[3]) < kEps)
        return w + (lat - b[0]);
    if (std::fabs(lat - b[2]) < kEps)
        return w + h + (b[3] - lon);
    if (std::fabs(lon - b[1]) < kEps)
        return 2 * w + h + (b[2] - lat);
    return -1;
}

} // namespace

std::vector<std::vector<double>> ParseShorelineDump(const std::string& text)
{
    std::vector<std::vector<double>> pieces(1);
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '>') {
            if (!pieces.back().empty())
                pieces.emplace_back();
            continue;
        }
        double lon = 0, lat = 0;
        if (std::sscanf(line.c_str(), "%lf %lf", &lon, &lat) == 2 && std::isfinite(lon) && std::isfinite(lat)) {
            pieces.back().push_back(lon);
            pieces.back().push_back(lat);
        }
    }
    if (pieces.back().empty())
        pieces.pop_back();
    return pieces;
}

std::vector<std::vector<double>> CloseShoreline(const std::vector<std::vector<double>>& pieces, const GeoBox& box)
{
    const double w = box[3] - box[1], h = box[2] - box[0], perimeter = 2 * (w + h);
    const double corner_at[4] = {w, w + h, 2 * w + h, perimeter};
    const double corner[4][2] = {{box[3], box[0]}, {box[3], box[2]}, {box[1], box[2]}, {box[1], box[0]}};
    std::vector<std::vector<double>> land;
    struct Open {
        const std::vector<double>* points;
        double start, end;
    };
    std::vector<Open> open;
    for (const auto& p : pieces) {
        if (p.size() < 4)
            continue;
        const std::size_t n = p.size();
        if (std::fabs(p[0] - p[n - 2]) < kEps && std::fabs(p[1] - p[n - 1]) < kEps) {
            if (p.size() >= 8)
                land.push_back(p);
            continue;
        }
        const double start = AlongEdge(box, p[0], p[1]), end = AlongEdge(box, p[n - 2], p[n - 1]);
        if (start >= 0 && end >= 0)
            open.push_back({&p, start, end});
    }
    std::vector<bool> used(open.size(), false);
    for (std::size_t first = 0; first < open.size(); ++first) {
        if (used[first])
            continue;
        std::vector<double> ring;
        std::size_t k = first;
        for (std::size_t guard = 0; guard <= open.size(); ++guard) {
            used[k] = true;
            ring.insert(ring.end(), open[k].points->begin(), open[k].points->end());
            // The next piece starts where the edge, walked counterclockwise, first meets one.
            const double from = open[k].end;
            std::size_t next = k;
            double best = perimeter * 2;
            for (std::size_t j = 0; j < open.size(); ++j) {
                if (used[j] && j != first)
                    continue;
                double d = std::fmod(open[j].start - from + perimeter, perimeter);
                if (d < kEps && j == k)
                    d = perimeter;  // a piece that ends where it starts goes all round
                if (d < best) {
                    best = d;
                    next = j;
                }
            }
            // The corners passed on the way, in walking order (twice round at most).
            std::vector<std::pair<double, int>> corners;
            for (int c = 0; c < 4; ++c) {
                const double d = std::fmod(corner_at[c] - from + perimeter, perimeter);
                corners.push_back({d, c});
                corners.push_back({d + perimeter, c});
            }
            std::sort(corners.begin(), corners.end());
            for (const auto& [d, c] : corners)
                if (d > kEps && d < best) {
                    ring.push_back(corner[c][0]);
                    ring.push_back(corner[c][1]);
                }
            if (next == first)
                break;
            k = next;
        }
        land.push_back(std::move(ring));
    }
    return land;
}

std::optional<std::vector<std::vector<double>>> ReadShoreline(const GeoBox& box, std::string& why)
{
    // GMT leaves a history file where it runs: let it run in a folder of its own.
    std::string folder = (std::filesystem::temp_directory_path() / "tackedit-gmt-XXXXXX").string();
    if (!::mkdtemp(folder.data())) {
        why = "no temporary folder for GMT";
        return std::nullopt;
    }
    char region[160];
    std::snprintf(region, sizeof region, "-R%.6f/%.6f/%.6f/%.6f", box[1], box[3], box[0], box[2]);
    const std::string command =
        "cd '" + folder + "' && gmt coast " + region + " -Df -M -W -A0/1/1 2>/dev/null";
    std::string text;
    int status = -1;
    if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[1 << 16];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
            text.append(buffer, n);
        status = ::pclose(pipe);
    }
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    if (status != 0) {
        why = "no shoreline: GMT with the GSHHG data (packages gmt, gmt-gshhg-full) is not installed or failed";
        return std::nullopt;
    }
    return CloseShoreline(ParseShorelineDump(text), box);
}

} // namespace tackedit
