#include "replay/results_page.h"

#include "replay/analysis_report.h"

#include <cmath>

namespace tackedit {

namespace {

std::string Escape(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

// A header cell captioned by the page's own captions in the reader's language.
std::string Head(const char* key) { return std::string("<th data-i18n=\"") + key + "\"></th>"; }

std::string Cell(const std::string& text) { return "<td>" + Escape(text) + "</td>"; }

bool AnyClass(const std::vector<RaceResult>& rows)
{
    for (const RaceResult& r : rows)
        if (!r.boat_class.empty())
            return true;
    return false;
}

std::string RaceTable(const RaceResultsPage& race, std::size_t number)
{
    std::string html = "<section class=\"race\"><h2><span data-i18n=\"raceNo\"></span> " + std::to_string(number) +
                       (race.title.empty() ? "" : ": " + Escape(race.title)) + " <small>" + Escape(race.file) +
                       "</small></h2>\n";
    if (!race.results) {
        html += "<p class=\"none\"><span data-i18n=\"noResults\"></span> " + Escape(race.why) + "</p></section>\n";
        return html;
    }
    const bool classes = AnyClass(*race.results);
    html += "<table><thead><tr>" + Head("rank") + Head("boat") + (classes ? Head("boatClass") : "") + Head("finish") +
            Head("elapsed") + Head("corrected") + Head("status") + "</tr></thead><tbody>\n";
    for (const RaceResult& r : *race.results) {
        html += "<tr>" + Cell(r.rank && r.status == "OK" ? std::to_string(*r.rank) : "") + Cell(r.name) +
                (classes ? Cell(r.boat_class) : "") + Cell(r.finish ? FormatLocalSeconds(*r.finish) : "") +
                Cell(r.elapsed ? ElapsedClock(*r.elapsed) : "") + Cell(r.corrected ? ElapsedClock(*r.corrected) : "") +
                Cell(r.status) + "</tr>\n";
    }
    return html + "</tbody></table></section>\n";
}

std::string SeriesTable(const std::vector<RaceResultsPage>& races)
{
    std::string html = "<section class=\"series\"><h2 data-i18n=\"series\"></h2>\n";
    std::vector<std::vector<RaceResult>> scored;
    for (std::size_t k = 0; k < races.size(); ++k) {
        if (!races[k].results)
            return html + "<p class=\"none\"><span data-i18n=\"noSeries\"></span> <span data-i18n=\"raceNo\"></span> " +
                   std::to_string(k + 1) + ": " +
                   Escape(races[k].why) + "</p></section>\n";
        scored.push_back(*races[k].results);
    }
    std::string why;
    const auto series = ScoreSeries(scored, 0, &why);
    if (!series)
        return html + "<p class=\"none\"><span data-i18n=\"noSeries\"></span> " + Escape(why) + "</p></section>\n";
    bool classes = false;
    for (const SeriesBoat& b : series->boats)
        classes = classes || !b.boat_class.empty();
    html += "<p data-i18n=\"seriesNote\"></p>\n<table><thead><tr>" + Head("rank") + Head("boat") +
            (classes ? Head("boatClass") : "");
    for (std::size_t r = 1; r <= races.size(); ++r)
        html += "<th>R" + std::to_string(r) + "</th>";
    html += Head("total") + Head("nett") + "</tr></thead><tbody>\n";
    for (const SeriesBoat& b : series->boats) {
        html += "<tr>" + Cell(std::to_string(b.rank)) + Cell(b.boat) + (classes ? Cell(b.boat_class) : "");
        for (const SeriesScore& s : b.scores)
            html += Cell(FormatPoints(s.points) + (s.code.empty() ? "" : " " + s.code));
        html += Cell(FormatPoints(b.total)) + Cell(FormatPoints(b.nett)) + "</tr>\n";
    }
    html += "</tbody></table>\n";
    for (const std::string& note : series->notes)
        html += "<p class=\"note\">" + Escape(note) + "</p>\n";
    return html + "</section>\n";
}

} // namespace

std::string ResultsPageHtml(const std::vector<RaceResultsPage>& races)
{
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
        "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
        "<title>Results</title>\n<link rel=\"stylesheet\" href=\"style.css\">\n</head>\n"
        "<body class=\"results-page\">\n<header id=\"top\"><h1 data-i18n=\"results\"></h1>"
        "<nav id=\"menu\"><a href=\"index.html\" data-i18n=\"backToReplay\"></a></nav></header>\n<main>\n";
    for (std::size_t k = 0; k < races.size(); ++k)
        html += RaceTable(races[k], k + 1);
    if (races.size() >= 2)
        html += SeriesTable(races);
    html += "</main>\n<script src=\"js/i18n.js\"></script>\n<script>Tack.i18n.lang = "
            "Tack.i18n.detect(navigator); Tack.i18n.apply(document);</script>\n</body>\n</html>\n";
    return html;
}

} // namespace tackedit
