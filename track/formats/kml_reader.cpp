#include "track/formats/kml_reader.h"

#include "base/data_error.h"
#include "base/datetime.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "track/formats/xml_track.h"

#include <zip.h>

#include <memory>

namespace tackedit {

namespace {

using xml::Ancestor;
using xml::Item;
using xml::LocalName;
using xml::OpenElements;

// gx:Track and the Track of KML 2.3, also inside a gx:MultiTrack: the n-th
// `when` goes with the n-th gx:coord or coord ("lon lat alt"); an empty coord
// (a phone's paused point) takes its `when` out with it. Lines and places
// (`coordinates`) have no times; those that are not empty are only counted.
class KmlItemReader : public xml::ItemReader {
public:
    bool Start(const OpenElements& open) override
    {
        const std::string_view name = Ancestor(open, 0);
        return ((name == "when" || name == "coord") && Ancestor(open, 1) == "Track") || name == "coordinates";
    }

    void End(const OpenElements& open, std::string_view text, std::vector<Item>& items) override
    {
        const std::string_view name = Ancestor(open, 0);
        if (name == "Track") {
            items.push_back({Item::TrackEnd});
        } else if (name == "coordinates") {
            if (!TrimBlanks(text).empty())
                items.push_back({Item::Untimed});
        } else if (text.data() != nullptr && name == "when") {
            Item when{Item::When};
            if (!ReadIsoDateTime(text, when.time))
                throw DataError::Conversion("", 0, std::string(text), "date-time");
            items.push_back(when);
        } else if (text.data() != nullptr && name == "coord") {
            items.push_back(TrimBlanks(text).empty() ? Item{Item::BlankCoord} : Coord(text));
        }
    }

    bool CanStartIn(const OpenElements& open) const override
    {
        for (const std::string& element : open) {
            const std::string_view name = LocalName(element);
            if (name == "when" || name == "coord" || name == "coordinates")
                return false;
        }
        return true;
    }

private:
    static Item Coord(std::string_view text)
    {
        // Longitude first; the altitude, when there, is not kept.
        std::string_view numbers[2];
        std::size_t at = 0;
        for (std::string_view& number : numbers) {
            while (at < text.size() && (static_cast<unsigned char>(text[at]) <= ' ' || text[at] == ','))
                ++at;
            const std::size_t start = at;
            while (at < text.size() && static_cast<unsigned char>(text[at]) > ' ' && text[at] != ',')
                ++at;
            number = text.substr(start, at - start);
        }
        const auto lon = ParseReal(numbers[0]);
        const auto lat = ParseReal(numbers[1]);
        if (!lon || !lat)
            throw DataError::Conversion("", 0, std::string(TrimBlanks(text)), "position");
        return {Item::Coord, 0, static_cast<double>(*lat * 60), static_cast<double>(*lon * 60)};
    }
};

std::unique_ptr<xml::ItemReader> MakeKmlReader()
{
    return std::make_unique<KmlItemReader>();
}

const xml::Format kKml{"KML", "track (gx:Track or Track)", {"when", "gx:coord", "coord"}, 48, MakeKmlReader};

// A KMZ's KML may inflate to no more than this: beyond it the archive is taken
// for a zip bomb, whatever its entry claims.
constexpr std::uint64_t kMaxKmlBytes = std::uint64_t{1} << 30;

bool IsKmlName(const char* name)
{
    const std::string_view n(name ? name : "");
    if (n.size() < 4)
        return false;
    std::string ending(n.substr(n.size() - 4));
    for (char& c : ending)
        c = AsciiLower(c);
    return ending == ".kml";
}

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
    void operator()(zip_file_t* entry) const { zip_fclose(entry); }
};

} // namespace

void ParseKmlTrackInPieces(std::string_view data, const std::string& file, TrackStore& store,
                           const PieceOptions& options)
{
    xml::ParseDocument(kKml, data, file, store, options);
}

void ParseKmlTrack(std::string_view data, const std::string& file, TrackStore& store)
{
    ParseKmlTrackInPieces(data, file, store, PieceOptions());
}

void ReadKmlTrack(const std::string& path, TrackStore& store)
{
    ReadTextFile(path, store, ParseKmlTrack);
}

void ParseKmzTrack(std::string_view data, const std::string& file, TrackStore& store)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = zip_source_buffer_create(data.data(), data.size(), 0, &error);
    std::unique_ptr<zip_t, ZipCloser> archive(source ? zip_open_from_source(source, ZIP_RDONLY, &error) : nullptr);
    if (!archive) {
        if (source)
            zip_source_free(source);
        const std::string why = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw DataError(file, 0, "", "not a KMZ file (a zip archive): " + why);
    }
    zip_error_fini(&error);
    const zip_int64_t entries = zip_get_num_entries(archive.get(), 0);
    zip_int64_t index = 0;
    while (index < entries && !IsKmlName(zip_get_name(archive.get(), static_cast<zip_uint64_t>(index), 0)))
        ++index;
    if (index >= entries)
        throw DataError(file, 0, "", "the KMZ file holds no .kml document");
    const auto at = static_cast<zip_uint64_t>(index);
    const std::string name = zip_get_name(archive.get(), at, 0);
    const std::string refused = "the KMZ file's " + name + " would inflate to more than " +
                                std::to_string(kMaxKmlBytes >> 20) + " MB; it is refused";
    zip_stat_t stat;
    if (zip_stat_index(archive.get(), at, 0, &stat) == 0 && (stat.valid & ZIP_STAT_SIZE) && stat.size > kMaxKmlBytes)
        throw DataError(file, 0, "", refused);
    std::unique_ptr<zip_file_t, ZipCloser> entry(zip_fopen_index(archive.get(), at, 0));
    if (!entry)
        throw DataError(file, 0, "", "cannot open " + name + " in the KMZ file: " + zip_strerror(archive.get()));

    xml::Format format = kKml;
    const std::string label = "KML document " + name + " in the KMZ";
    format.name = label.c_str();
    std::string buffer(1 << 16, '\0');
    std::uint64_t inflated = 0;
    xml::ParseStream(format, file, store, [&]() {
        const zip_int64_t n = zip_fread(entry.get(), buffer.data(), buffer.size());
        if (n < 0)
            throw DataError(file, 0, "", "cannot inflate " + name + " in the KMZ file: " +
                                             zip_file_strerror(entry.get()));
        inflated += static_cast<std::uint64_t>(n);
        if (inflated > kMaxKmlBytes)
            throw DataError(file, 0, "", refused);
        return std::string_view(buffer.data(), static_cast<std::size_t>(n));
    });
}

void ReadKmzTrack(const std::string& path, TrackStore& store)
{
    ReadTextFile(path, store, ParseKmzTrack);
}

} // namespace tackedit
