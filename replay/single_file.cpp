#include "replay/single_file.h"

#include "pictures/picture_reduce.h"
#include "replay/packing.h"
#include "base/atomic_write.h"
#include "base/data_error.h"
#include "base/file_buffer.h"
#include "base/workspace_paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <utility>

namespace tackedit {

namespace fs = std::filesystem;

namespace {

// Lets a later build with --replace know the file as its own.
constexpr std::string_view kGenerator = "<meta name=\"generator\" content=\"tackedit one-file replay\">";
constexpr std::string_view kCloseResults = "tackedit-close-results";

std::string Lower(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

// Text that goes between <script> or <style> tags: nothing in it may end the
// element early or open an HTML comment that swallows the rest of the page.
std::string Inlined(std::string_view text, std::string_view element)
{
    const std::string end = "</" + std::string(element), lower = Lower(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '<' && (lower.compare(i, end.size(), end) == 0 || lower.compare(i, 4, "<!--") == 0)) {
            out += "<\\";
            continue;
        }
        out += text[i];
    }
    return out;
}

std::string WebFileText(const std::string& path)
{
    for (const WebFile& file : ReplayWebFiles())
        if (path == file.path)
            return std::string(reinterpret_cast<const char*>(file.bytes), file.size);
    throw DataError(path, 0, "", "is not part of the replay page, so it cannot go into one file");
}

// Puts the page's own stylesheets and scripts in the page.
std::string InlineWebFiles(std::string html)
{
    const auto inline_each = [&html](std::string_view open, std::string_view close, std::string_view element) {
        for (std::size_t at = html.find(open); at != std::string::npos; at = html.find(open, at)) {
            const std::size_t from = at + open.size(), to = html.find(close, from);
            if (to == std::string::npos)
                break;
            const std::string text = "<" + std::string(element) + ">\n" +
                                     Inlined(WebFileText(html.substr(from, to - from)), element) + "</" +
                                     std::string(element) + ">";
            html.replace(at, to + close.size() - at, text);
            at += text.size();
        }
    };
    inline_each("<link rel=\"stylesheet\" href=\"", "\">", "style");
    inline_each("<script src=\"", "\"></script>", "script");
    return html;
}

std::string AttributeValue(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

void ReplaceFirst(std::string& text, std::string_view what, std::string_view with)
{
    if (const std::size_t at = text.find(what); at != std::string::npos)
        text.replace(at, what.size(), with);
}

// results.html in a dialog over the replay: a link to a data: URL is refused
// by browsers, and a second file is what this page is meant to do without.
std::string ResultsSheet(const std::vector<RaceResultsPage>& results)
{
    std::string page = InlineWebFiles(ResultsPageHtml(results));
    ReplaceFirst(page, "<a href=\"index.html\"",
                 "<a href=\"#\" onclick=\"parent.postMessage('" + std::string(kCloseResults) +
                     "', '*'); return false\"");
    return "<dialog id=\"results-sheet\"><iframe title=\"Results\" srcdoc=\"" + AttributeValue(page) +
           "\"></iframe></dialog>\n"
           "<style>#results-sheet { width: min(1100px, 94vw); height: 90vh; padding: 0; border: 0; "
           "background: #0d2233; } #results-sheet iframe { width: 100%; height: 100%; border: 0; }</style>\n"
           "<script>(function () {\n"
           "  var sheet = document.getElementById(\"results-sheet\"), link = document.getElementById(\"results-page\");\n"
           "  if (link) link.addEventListener(\"click\", function (e) { e.preventDefault(); sheet.showModal(); });\n"
           "  window.addEventListener(\"message\", function (e) { if (e.data === \"" +
           std::string(kCloseResults) + "\") sheet.close(); });\n"
           "})();</script>\n";
}

// Base64 makes a picture a third larger than the folder's copy; a smaller copy
// keeps the file within a tenth of the folder's size. "" when it does not read.
std::string PictureUri(const ReplayPicture& picture)
{
    try {
        const FileBytes jpeg = ReadWholeFile(picture.source);
        ReducedPicture best = ReduceJpeg(jpeg.view(), 1280, 80, picture.source, false);
        const std::size_t budget = best.jpeg.size() * 33 / 40;
        for (const auto& [size, quality] : {std::pair{1280, 70}, {1024, 75}, {800, 70}, {640, 65}}) {
            if (best.jpeg.size() <= budget)
                break;
            ReducedPicture smaller = ReduceJpeg(jpeg.view(), size, quality, picture.source, false);
            if (smaller.jpeg.size() < best.jpeg.size())
                best = std::move(smaller);
        }
        return "data:image/jpeg;base64," + Base64(best.jpeg);
    } catch (const DataError&) {
        return "";  // the page goes on without it
    }
}

bool WrittenBySingleFileBuild(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string head(2048, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return head.find(kGenerator) != std::string::npos;
}

} // namespace

std::string SingleFileReplay(const ReplayRaces& races, const ReplayBuildOptions& options,
                             const ReplayPictureSource& copies)
{
    const auto copy_uri = [&](std::size_t k, const std::string& file, const ReplayPicture& picture) -> std::string {
        const std::string path = copies(k, file, picture);
        try {
            return path.empty() ? "" : "data:image/jpeg;base64," + Base64(std::string(ReadWholeFile(path).view()));
        } catch (const DataError&) {
            return "";
        }
    };
    std::string scripts;
    std::vector<RaceResultsPage> results;
    for (std::size_t k = 0; k < races.count; ++k) {
        const std::string file = races.file(k);
        if (options.progress)
            options.progress(file);
        const ReplayRace race = races.read(k);
        std::vector<std::string> names, urls;
        for (const ReplayPicture& picture : race.pictures) {
            urls.push_back(!options.pictures ? "" : copies ? copy_uri(k, file, picture) : PictureUri(picture));
            // The name the folder would give it, for the picture's caption.
            names.push_back(urls.back().empty() ? "" : "pictures/race-" + std::to_string(k + 1) + "/" + picture.name);
        }
        scripts += "<script>\n" + Inlined(RaceScript(race, names, urls), "script") + "</script>\n";
        results.push_back(ResultsPageOf(race, file));
    }
    std::string html = InlineWebFiles(WebFileText("index.html"));
    ReplaceFirst(html, "<!-- tackedit:races -->", scripts);
    ReplaceFirst(html, "<meta charset=\"utf-8\">", "<meta charset=\"utf-8\">\n" + std::string(kGenerator));
    ReplaceFirst(html, "href=\"results.html\"", "href=\"#results\"");
    const std::size_t body_end = html.rfind("</body>");
    html.insert(body_end == std::string::npos ? html.size() : body_end, ResultsSheet(results));
    return html;
}

void BuildSingleFileReplay(const ReplayRaces& races, const std::string& out_file, const ReplayBuildOptions& options)
{
    if (const auto clash = OutputFolderClash(options.app_dir, out_file, options.inputs))
        throw DataError(out_file, 0, "", *clash);
    const fs::path target(out_file);
    std::error_code ec;
    const fs::path parent = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!target.has_filename())
        throw DataError(out_file, 0, "", "names a folder; give the name of the HTML file to write");
    if (!fs::is_directory(parent, ec))
        throw DataError(parent.string(), 0, "", "no such folder");
    const auto check_target = [&] {
        const fs::file_status status = fs::symlink_status(target, ec);
        if (!fs::exists(status))
            return false;
        if (!fs::is_regular_file(status))
            throw DataError(out_file, 0, "", "is a folder or link; it is kept");
        if (!options.replace)
            throw DataError(out_file, 0, "", "already exists; --replace moves it to the trash first");
        if (!WrittenBySingleFileBuild(target))
            throw DataError(out_file, 0, "", "is a file that no replay build wrote; it is kept");
        return true;
    };
    check_target();
    const std::string html = SingleFileReplay(races, options);
    // Checked again: the races may have taken long enough for another build.
    if (check_target() && (!options.move_to_trash || !options.move_to_trash(out_file) ||
                           fs::exists(fs::symlink_status(target, ec))))
        throw DataError(out_file, 0, "", "cannot be moved to the trash");
    WriteFileAtomically(out_file, html);
}

} // namespace tackedit
