#include "track/formats/tcx_reader.h"

#include "base/data_error.h"
#include "base/datetime.h"
#include "base/file_buffer.h"
#include "base/numbers.h"
#include "track/formats/xml_track.h"

namespace tackedit {

namespace {

using xml::Ancestor;
using xml::Item;
using xml::LocalName;
using xml::OpenElements;

// A Trackpoint is a point when it has a Time and a Position with both degrees;
// where it lies (Activity, Lap, Course) does not matter.
class TcxItemReader : public xml::ItemReader {
public:
    bool Start(const OpenElements& open) override
    {
        const std::string_view name = Ancestor(open, 0);
        if (name == "Trackpoint") {
            have_time_ = have_lat_ = have_lon_ = false;
            return false;
        }
        if (name == "Time")
            return Ancestor(open, 1) == "Trackpoint";
        return (name == "LatitudeDegrees" || name == "LongitudeDegrees") && Ancestor(open, 1) == "Position" &&
               Ancestor(open, 2) == "Trackpoint";
    }

    void End(const OpenElements& open, std::string_view text, std::vector<Item>& items) override
    {
        const std::string_view name = Ancestor(open, 0);
        if (name == "Trackpoint") {
            if (have_time_ && have_lat_ && have_lon_)
                items.push_back({Item::Point, time_, lat_, lon_});
            else
                items.push_back({Item::Skipped});
            return;
        }
        if (text.data() == nullptr)
            return;  // an element whose text no point needs
        if (name == "Time") {
            if (!ReadIsoDateTime(text, time_))
                throw DataError::Conversion("", 0, std::string(text), "date-time");
            have_time_ = true;
        } else if (name == "LatitudeDegrees") {
            lat_ = Minutes(text, "latitude");
            have_lat_ = true;
        } else if (name == "LongitudeDegrees") {
            lon_ = Minutes(text, "longitude");
            have_lon_ = true;
        }
    }

    bool CanStartIn(const OpenElements& open) const override
    {
        for (const std::string& name : open)
            if (LocalName(name) == "Trackpoint")
                return false;
        return true;
    }

private:
    static double Minutes(std::string_view text, const char* what)
    {
        const auto degrees = ParseReal(text);
        if (!degrees)
            throw DataError::Conversion("", 0, std::string(text), what);
        return static_cast<double>(*degrees * 60);
    }

    bool have_time_ = false, have_lat_ = false, have_lon_ = false;
    double time_ = 0, lat_ = 0, lon_ = 0;
};

const xml::Format kTcx{"TCX", "trackpoints", {"Trackpoint"}, 160, [] {
    return std::unique_ptr<xml::ItemReader>(new TcxItemReader);
}};

} // namespace

void ParseTcxTrackInPieces(std::string_view data, const std::string& file, TrackStore& store,
                           const PieceOptions& options)
{
    xml::ParseDocument(kTcx, data, file, store, options);
}

void ParseTcxTrack(std::string_view data, const std::string& file, TrackStore& store)
{
    ParseTcxTrackInPieces(data, file, store, xml::kPieceOptions);
}

void ReadTcxTrack(const std::string& path, TrackStore& store)
{
    ReadTextFile(path, store, ParseTcxTrack);
}

} // namespace tackedit
