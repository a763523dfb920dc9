// Series scoring on hand-made races, against the low-point rules worked out
// by hand.

#include "replay/series_results.h"

#include <gtest/gtest.h>

#include <cctype>
#include <initializer_list>
#include <stdexcept>

namespace tackedit {
namespace {

// "Name:3" finished third, "Name:DNF" did not; "Class/Name:1" in a class.
std::vector<RaceResult> Race(std::initializer_list<std::string> rows)
{
    std::vector<RaceResult> race;
    for (const std::string& text : rows) {
        RaceResult r;
        const std::size_t slash = text.find('/'), colon = text.rfind(':');
        const std::size_t name_from = slash == std::string::npos ? 0 : slash + 1;
        r.boat_class = text.substr(0, name_from == 0 ? 0 : slash);
        r.name = text.substr(name_from, colon - name_from);
        const std::string what = text.substr(colon + 1);
        r.status = std::isdigit(static_cast<unsigned char>(what[0])) ? "OK" : what;
        if (r.status == "OK")
            r.rank = std::stoi(what);
        race.push_back(r);
    }
    return race;
}

const SeriesBoat& Boat(const SeriesResults& series, const std::string& name)
{
    for (const SeriesBoat& b : series.boats)
        if (b.boat == name)
            return b;
    throw std::runtime_error("no boat " + name);
}

std::string Order(const SeriesResults& series)
{
    std::string order;
    for (const SeriesBoat& b : series.boats)
        order += (order.empty() ? "" : " ") + std::to_string(b.rank) + b.boat;
    return order;
}

TEST(SeriesResults, DiscardsDncAndAStatusScoreTheEntriesPlusOne)
{
    const auto series = ScoreSeries({Race({"A:1", "B:2", "C:3", "D:DNF"}),
                                     Race({"b:1", " a :2", "C:OCS"}),  // D sailed no race 2; names matched loosely
                                     Race({"A:1", "D:2", "B:3", "C:DNS"})},
                                    1);
    ASSERT_TRUE(series);
    ASSERT_EQ(series->boats.size(), 4u) << Order(*series);
    const SeriesBoat& d = Boat(*series, "D");
    ASSERT_EQ(d.scores.size(), 3u);
    EXPECT_EQ(d.scores[0].points, 5);
    EXPECT_EQ(d.scores[0].code, "DNF");
    EXPECT_EQ(d.scores[1].code, "DNC");
    EXPECT_EQ(d.scores[1].points, 5);
    EXPECT_TRUE(d.scores[0].discarded) << "of two equal worst scores one goes";
    EXPECT_FALSE(d.scores[1].discarded);
    EXPECT_EQ(d.total, 12);
    EXPECT_EQ(d.nett, 7);
    const SeriesBoat& c = Boat(*series, "C");
    EXPECT_EQ(c.scores[1].code, "OCS");
    EXPECT_EQ(c.total, 13);
    EXPECT_EQ(c.nett, 8);
    EXPECT_EQ(Boat(*series, "A").nett, 2);  // 1, 2, 1: the 2 discarded
    EXPECT_EQ(Order(*series), "1A 2B 3D 4C");

    std::string why;
    EXPECT_FALSE(ScoreSeries({Race({"A:1"}), Race({"A:1"})}, 2, &why));
    EXPECT_EQ(why, "2 discards of 2 races leave no race to count");
    EXPECT_FALSE(ScoreSeries({Race({"A:1", "B:2"}), Race({"A:1", "a:2"})}, 0, &why));
    EXPECT_EQ(why, "race 2 has two boats named 'a', and boats are told apart by name");
}

TEST(SeriesResults, TiesGoToTheBetterPlacesThenToTheLastRaces)
{
    // A and B both have 7: A's first place beats B's two seconds, although B
    // beat A in the last race.
    const auto most_firsts = ScoreSeries({Race({"A:1", "C:2", "B:3", "D:4"}), Race({"C:1", "B:2", "A:3", "D:4"}),
                                          Race({"C:1", "B:2", "A:3", "D:4"})},
                                         0);
    ASSERT_TRUE(most_firsts);
    EXPECT_EQ(Order(*most_firsts), "1C 2A 3B 4D");

    // E, F and G keep a 1 and a 2 each: the last race decides, counting E's
    // and F's discarded scores there too.
    const auto last_race = ScoreSeries({Race({"F:1", "E:2", "G:3", "H:4"}), Race({"E:1", "G:2", "H:3", "F:4"}),
                                        Race({"G:1", "F:2", "H:3", "E:4"})},
                                       1);
    ASSERT_TRUE(last_race);
    EXPECT_EQ(Order(*last_race), "1G 2F 3E 4H");
    EXPECT_TRUE(Boat(*last_race, "E").scores[2].discarded);
    EXPECT_TRUE(Boat(*last_race, "H").scores[0].discarded);

    // Equal in every race: one rank shared, the next boat's counts them both.
    const auto equal = ScoreSeries({Race({"K:1", "L:1", "M:3"}), Race({"L:1", "K:1", "M:3"})}, 0);
    ASSERT_TRUE(equal);
    EXPECT_EQ(Order(*equal), "1K 1L 3M");
}

TEST(SeriesResults, TiedPlacesAverageAndClassesScoreApart)
{
    const auto series = ScoreSeries({Race({"Big/P:1", "Big/Q:1", "Big/R:3", "Small/S:1", "Small/T:DNF"}),
                                     Race({"Big/P:1", "Big/Q:2", "Big/R:2", "Small/T:1", "Small/S:2"})},
                                    0);
    ASSERT_TRUE(series);
    const SeriesBoat& p = Boat(*series, "P");
    EXPECT_EQ(p.scores[0].points, 1.5);
    EXPECT_EQ(Boat(*series, "R").scores[0].points, 3);
    EXPECT_EQ(Boat(*series, "R").scores[1].points, 2.5);
    EXPECT_EQ(Boat(*series, "Q").nett, 4);
    // Two boats in Small: a DNF there scores 3, not the fleet's 6.
    EXPECT_EQ(Boat(*series, "T").scores[0].points, 3);
    EXPECT_EQ(Boat(*series, "T").scores[0].code, "DNF");
    EXPECT_EQ(Order(*series), "1P 2Q 3R 1S 2T");
    EXPECT_EQ(FormatPoints(Boat(*series, "R").total), "5.5");
}

TEST(SeriesResults, EntriesNameTheirBoatsAndOneWithoutABoatScoresDnc)
{
    const std::vector<SeriesEntry> entries = {{"GBR 1", "a ", "Laser", "Ann", "RYC"},
                                              {"GBR 3", "C", "Laser", "Cy", ""}};
    const auto races = std::vector{Race({"A:1", "B:2"}), Race({"B:1", "A:DNF"})};
    const auto series = ScoreSeries(races, 0, nullptr, &entries);
    ASSERT_TRUE(series);
    const SeriesBoat& a = Boat(*series, "A");
    EXPECT_EQ(a.sail + "|" + a.helm + "|" + a.club, "GBR 1|Ann|RYC");
    EXPECT_EQ(a.boat_class, "") << "a list's class must not split a fleet the races score as one";
    EXPECT_EQ(a.scores[1].points, 4) << "three entries: a DNF scores 4";
    const SeriesBoat& c = Boat(*series, "C");
    EXPECT_EQ(c.boat_class, "");
    EXPECT_EQ(c.scores[0].code, "DNC");
    EXPECT_EQ(c.total, 8);
    EXPECT_EQ(Boat(*series, "B").sail, "");
    EXPECT_EQ(Order(*series), "1B 2A 3C");

    // With classes in the races, the absent entry is one of its class's.
    const auto classed = ScoreSeries({Race({"Laser/A:1", "Laser/B:DNS"})}, 0, nullptr, &entries);
    ASSERT_TRUE(classed);
    EXPECT_EQ(Boat(*classed, "C").boat_class, "Laser");
    EXPECT_EQ(Boat(*classed, "B").scores[0].points, 4);

    std::string why;
    const std::vector<SeriesEntry> twice = {{"1", "A", "", "", ""}, {"2", " A", "", "", ""}};
    EXPECT_FALSE(ScoreSeries(races, 0, &why, &twice));
    EXPECT_EQ(why, "the entries have two boats named ' A', and boats are told apart by name");
}

TEST(SeriesResults, OverlappingRacesSharingBoatsAreNoted)
{
    const auto races = std::vector{Race({"A:1", "B:2"}), Race({"A:1"}), Race({"b:1"}), Race({"Z:1"})};
    // R2 starts as R1 ends (touching); R3 overlaps both; R4 overlaps all but shares no boat.
    const std::vector<RaceWindow> windows = {
        {"r1", 0, 3600}, {"r2", 3600, 7200}, {"r3", 3000, 4000}, {"r4", 0, 7200}};
    const auto notes = OverlapNotes(races, windows);
    ASSERT_EQ(notes.size(), 1u) << (notes.empty() ? "" : notes[0]);
    EXPECT_NE(notes[0].find("races 1 (r1) and 3 (r3) overlap in time and share 1 boat"), std::string::npos)
        << notes[0];
    EXPECT_TRUE(OverlapNotes(races, {{"r1", 0, 0}, {"r2", 0, 0}}).empty()) << "no FT: no window";
}

} // namespace
} // namespace tackedit
