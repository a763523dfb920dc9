// The TCX, KML and KMZ readers on small texts, and their pieces against one pass.

#include "base/data_error.h"
#include "base/datetime.h"
#include "track/formats/format_common.h"
#include "track/formats/tcx_reader.h"
#include "track/formats/kml_reader.h"
#include "zip_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

using namespace tackedit;
using fixtures::Zip;

using Parse = std::function<void(std::string_view, const std::string&, TrackStore&)>;

std::string TimeText(DateTime time) { return FormatIsoDateTime(DecodeDateTimeToSecond(time)); }

// "time lat lon" per point in minutes of arc, then the notes; or "error: ...".
std::string Read(const Parse& parse, std::string_view text)
{
    TrackStore store;
    try {
        parse(text, "t.xml", store);
    } catch (const DataError& e) {
        return std::string("error: ") + e.what();
    }
    std::string out;
    for (std::int32_t i = 1; i <= store.TrackCount; ++i)
        out += TimeText(store.TrackTime[i]) + " " + std::to_string(store.TrackLat[i]) + " " +
               std::to_string(store.TrackLon[i]) + "\n";
    for (const std::string& note : store.ReadNotes)
        out += "note: " + note + "\n";
    return out;
}

std::string Trackpoint(const char* time, const char* lat, const char* lon)
{
    return std::string("<Trackpoint><Time>") + time + "</Time><Position><LatitudeDegrees>" + lat +
           "</LatitudeDegrees><LongitudeDegrees>" + lon + "</LongitudeDegrees></Position></Trackpoint>\n";
}

TEST(TcxReader, ReadsActivityLapsAndCourses)
{
    const std::string tcx =
        "<?xml version=\"1.0\"?>\n<TrainingCenterDatabase xmlns=\"http://www.garmin.com/xmlschemas/"
        "TrainingCenterDatabase/v2\"><Activities><Activity><Lap StartTime=\"x\"><BeginPosition>"
        "<LatitudeDegrees>1</LatitudeDegrees><LongitudeDegrees>1</LongitudeDegrees></BeginPosition><Track>\n" +
        Trackpoint("2024-06-15T19:00:00+09:00", "35.5", "139.25") +
        "<Trackpoint><Time>2024-06-15T10:00:01Z</Time><HeartRateBpm><Value>90</Value></HeartRateBpm></Trackpoint>"
        "</Track></Lap><Lap><Track>" +
        Trackpoint("2024-06-15T06:00:02.900-04:00", "-35.5", "-139.25") +
        "</Track></Lap></Activity></Activities><Courses><Course><Track>" +
        Trackpoint("2024-06-15T10:15:03+01:15", "0.5", "1") + "</Track></Course></Courses></TrainingCenterDatabase>";
    EXPECT_EQ(Read(ParseTcxTrack, tcx),
              "2024-06-15 10:00:00 2130.000000 8355.000000\n"
              "2024-06-15 10:00:02 -2130.000000 -8355.000000\n"
              "2024-06-15 09:00:03 30.000000 60.000000\n"
              "note: 1 trackpoints without a time or a position were left out\n");
}

TEST(XmlReaders, ErrorsNameTheFileAndLine)
{
    EXPECT_EQ(Read(ParseTcxTrack, "<TrainingCenterDatabase>\n<Track>\n</Trackpoint>\n"),
              "error: t.xml:3: the TCX file is not well-formed XML: Opening and ending tag mismatch: Track and Trackpoint");
    EXPECT_EQ(Read(ParseTcxTrack, "<T>\n\n" + Trackpoint("2024-06-15 10:00:00", "1", "2") + "</T>"),
              "error: t.xml:3: '2024-06-15 10:00:00' is not a valid date-time");
    EXPECT_EQ(Read(ParseKmlTrack, "<kml><gx:Track>\n<gx:coord>1 x</gx:coord></gx:Track></kml>"),
              "error: t.xml:2: '1 x' is not a valid position");
    EXPECT_EQ(Read(ParseKmlTrack, "<kml>\n<Track>"),
              "error: t.xml:2: the KML file is not well-formed XML: Premature end of data in tag Track line 2");
    EXPECT_EQ(Read(ParseTcxTrack, "<a/>"), "note: the file holds no trackpoints\n");
}

TEST(KmlReader, PairsTimesWithCoordsInEveryTrack)
{
    const std::string kml =
        "<kml xmlns=\"http://www.opengis.net/kml/2.2\" xmlns:gx=\"http://www.google.com/kml/ext/2.2\"><Placemark>"
        "<TimeStamp><when>2020-01-01T00:00:00Z</when></TimeStamp><gx:MultiTrack>"
        "<gx:Track><when>2024-06-15T10:00:00Z</when><when>2024-06-15T19:00:01+09:00</when>"
        "<gx:coord>139.25 35.5 3</gx:coord><gx:coord>-1 -0.5</gx:coord></gx:Track>"
        "<gx:Track><when>2024-06-15T11:00:00Z</when><gx:coord>2 1 0</gx:coord><when>2024-06-15T11:00:01Z</when>"
        "</gx:Track></gx:MultiTrack></Placemark>"
        "<Placemark><Track><when>2024-06-15T12:00:00Z</when><coord>3 4 5</coord></Track></Placemark>"
        "<Placemark><LineString><coordinates>1,2 3,4</coordinates></LineString></Placemark></kml>";
    EXPECT_EQ(Read(ParseKmlTrack, kml),
              "2024-06-15 10:00:00 2130.000000 8355.000000\n"
              "2024-06-15 10:00:01 -30.000000 -60.000000\n"
              "2024-06-15 11:00:00 60.000000 120.000000\n"
              "2024-06-15 12:00:00 240.000000 180.000000\n"
              "note: 1 times or positions of a track without their pair were left out\n");
    EXPECT_EQ(Read(ParseKmlTrack, "<kml><Placemark><LineString><coordinates>1,2 3,4</coordinates></LineString>"
                                  "</Placemark><Placemark><Point><coordinates>1,2</coordinates></Point></Placemark>"
                                  "<Placemark><Point><coordinates>\n </coordinates></Point></Placemark></kml>"),
              "note: the file holds no times: its 2 positions are lines or places without a time\n");
    EXPECT_EQ(Read(ParseKmlTrack, "<kml><Placemark><Point><coordinates/></Point></Placemark></kml>"),
              "note: the file holds no track (gx:Track or Track)\n");
}

// A phone's paused point: an empty coord goes, and takes its own time with it.
TEST(KmlReader, EmptyCoordsAreLeftOutWithTheirTimes)
{
    const std::string track = "<kml><gx:Track><when>2024-06-15T10:00:00Z</when><when>2024-06-15T10:00:01Z</when>"
                              "<when>2024-06-15T10:00:02Z</when><when>2024-06-15T10:00:03Z</when>"
                              "<gx:coord>1 2 3</gx:coord><gx:coord></gx:coord><gx:coord> \n\t</gx:coord>"
                              "<gx:coord>5 6</gx:coord></gx:Track></kml>";
    EXPECT_EQ(Read(ParseKmlTrack, track), "2024-06-15 10:00:00 120.000000 60.000000\n"
                                          "2024-06-15 10:00:03 360.000000 300.000000\n"
                                          "note: 2 times whose position (coord) is empty were left out\n");
    EXPECT_EQ(Read(ParseKmlTrack, "<kml><Track><when>2024-06-15T10:00:00Z</when><coord/></Track></kml>"),
              "note: 1 time whose position (coord) is empty was left out\n");
}

// Pieces cut anywhere give what one pass gives: across laps, after a comment or
// CDATA that holds a cut element's text, and with an error late in the file or
// past the root.
TEST(XmlReaders, PiecesGiveWhatOnePassGives)
{
    // The first points lie elsewhere than the rest: the pieces' guess is wrong at first.
    std::string tcx = "<?xml version=\"1.0\"?>\n<TrainingCenterDatabase><Courses><Course><Track>";
    std::string kml = "<kml><Document><Placemark><Track>";
    for (int i = 0; i < 3; ++i) {
        tcx += Trackpoint("2024-06-15T09:00:00Z", "1", "2");
        kml += "<when>2024-06-15T09:00:00Z</when><coord>2 1</coord>";
    }
    tcx += "</Track></Course></Courses><Activities><Activity>";
    kml += "</Track></Placemark><Placemark><gx:MultiTrack>";
    for (int lap = 0; lap < 6; ++lap) {
        tcx += "<Lap>\r\n<Track>";
        kml += "<gx:Track>\n";
        for (int i = 0; i < 8; ++i) {
            const std::string t = "2024-06-15T1" + std::to_string(lap) + ":00:0" + std::to_string(i) + "Z";
            tcx += Trackpoint(t.c_str(), ("35." + std::to_string(i)).c_str(), "139.5");
            kml += "<when>" + t + "</when>\n";
            if (i == 3 && lap == 2) {
                tcx += "<!-- <Trackpoint> -->\n<Extensions><![CDATA[ <Trackpoint> ]]></Extensions>";
                kml += "<!-- <when> <gx:coord> --><ExtendedData><![CDATA[<when>]]></ExtendedData>\n";
            }
        }
        for (int i = 0; i < 8; ++i)
            kml += i == 5 && lap == 4 ? std::string("<gx:coord> </gx:coord>\n")  // a paused point
                                      : "<gx:coord>139.5 35." + std::to_string(i) + " 2</gx:coord>\n";
        tcx += "</Track></Lap>\n";
        kml += "</gx:Track>";
    }
    tcx += "</Activity></Activities></TrainingCenterDatabase>\n";
    kml += "</gx:MultiTrack></Placemark></Document></kml>\n";
    const std::string broken_tcx = tcx.substr(0, tcx.size() / 2) + "<Time>\n" + tcx.substr(tcx.size() / 2);
    const std::string broken_kml = kml.substr(0, kml.size() * 2 / 3) + "</x>" + kml.substr(kml.size() * 2 / 3);
    // Expat names text past the root by where its buffer ends.
    const std::string past_root_kml = kml + ":00:00<gx:coord>1 2</gx:coord>";
    struct Case {
        const char* name;
        const std::string& text;
        void (*pieces)(std::string_view, const std::string&, TrackStore&, const PieceOptions&);
    };
    const Case cases[] = {{"tcx", tcx, ParseTcxTrackInPieces}, {"kml", kml, ParseKmlTrackInPieces},
                          {"broken tcx", broken_tcx, ParseTcxTrackInPieces},
                          {"broken kml", broken_kml, ParseKmlTrackInPieces},
                          {"broken kml past its root", past_root_kml, ParseKmlTrackInPieces}};
    for (const Case& c : cases) {
        const std::string one_pass = Read(
            [&](std::string_view d, const std::string& f, TrackStore& s) { c.pieces(d, f, s, {c.text.size() * 2, 1}); },
            c.text);
        EXPECT_EQ(one_pass.rfind("error: t.xml:", 0) == 0, c.name[0] == 'b') << c.name << one_pass;
        for (const std::size_t bytes : {1, 5, 60, 333, 1000}) {
            SCOPED_TRACE(std::string(c.name) + " in pieces of " + std::to_string(bytes));
            EXPECT_EQ(Read([&](std::string_view d, const std::string& f,
                               TrackStore& s) { c.pieces(d, f, s, {bytes, 3}); },
                           c.text),
                      one_pass);
        }
    }
}

TEST(KmzReader, ReadsTheFirstKmlEntryAndRefusesBombs)
{
    const std::string doc = "<kml><gx:Track><when>2024-06-15T10:00:00Z</when><gx:coord>1 2</gx:coord></gx:Track></kml>";
    const std::string kmz = Zip({{"images/a.png", "png"}, {"doc.KML", doc}, {"other.kml", "<kml/>"}});
    EXPECT_EQ(Read(ParseKmzTrack, kmz), "2024-06-15 10:00:00 120.000000 60.000000\n");
    EXPECT_EQ(Read(ParseKmzTrack, Zip({{"a.txt", "x"}})), "error: t.xml: the KMZ file holds no .kml document");
    EXPECT_EQ(Read(ParseKmzTrack, "<kml/>").rfind("error: t.xml: not a KMZ file", 0), 0u);
    EXPECT_EQ(Read(ParseKmzTrack, Zip({{"doc.kml", "<kml>\n<a></b></kml>"}})),
              "error: t.xml:2: the KML document doc.kml in the KMZ file is not well-formed XML: Opening and ending "
              "tag mismatch: a and b");

    // An entry that claims 3 GB inflated, in its local and central headers.
    std::string bomb = Zip({{"doc.kml", doc}});
    const auto claim = [&bomb](std::size_t at) { bomb.replace(at, 4, std::string("\x00\x00\x00\xb0", 4)); };
    claim(22);
    claim(bomb.find("PK\x01\x02") + 24);
    EXPECT_EQ(Read(ParseKmzTrack, bomb),
              "error: t.xml: the KMZ file's doc.kml would inflate to more than 1024 MB; it is refused");
}

} // namespace
