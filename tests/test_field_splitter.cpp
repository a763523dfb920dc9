#include "base/field_splitter.h"
#include "base/table_cells.h"

#include <gtest/gtest.h>

#include <string>

namespace tackedit {
namespace {

TEST(FieldSplitter, TrimsEveryFieldAndKeepsEmptyOnes)
{
    FieldSplitter f;
    f.SplitFields("BN, boat1.gpx ,Alpha", ',');
    ASSERT_EQ(f.FieldCount, 3);
    EXPECT_EQ(f[0], "BN");
    EXPECT_EQ(f[1], "boat1.gpx");
    EXPECT_EQ(f[2], "Alpha");

    f.SplitFields("a,,b", ',');
    ASSERT_EQ(f.FieldCount, 3);
    EXPECT_EQ(f[1], "");
    EXPECT_EQ(f[2], "b");

    f.SplitFields("a, ,b", ',');
    EXPECT_EQ(f.FieldCount, 3);
    EXPECT_EQ(f[1], "");

    f.SplitFields(",x", ',');
    ASSERT_EQ(f.FieldCount, 2);
    EXPECT_EQ(f[0], "");
    EXPECT_EQ(f[1], "x");
}

TEST(FieldSplitter, BlankSeparatorTreatsRunsAsOne)
{
    FieldSplitter f;
    f.SplitFields("  x  ", ',');
    ASSERT_EQ(f.FieldCount, 1);
    EXPECT_EQ(f[0], "x");

    f.SplitFields("  x  ", ' ');
    ASSERT_EQ(f.FieldCount, 2);
    EXPECT_EQ(f[0], "");
    EXPECT_EQ(f[1], "x");

    f.SplitFields("N35.1   E139.2", ' ');
    ASSERT_EQ(f.FieldCount, 2);
    EXPECT_EQ(f[0], "N35.1");
    EXPECT_EQ(f[1], "E139.2");

    f.SplitFields("T N1 E2 d t x   ", ' ');
    EXPECT_EQ(f.FieldCount, 6) << "blanks at the end of a line add no field";
    f.SplitFields("a\tb", ',');
    EXPECT_EQ(f[0], "a\tb") << "only the ends are trimmed";
}

TEST(FieldSplitter, ShortLineEmptiesLowSlotsAndKeepsHighOnes)
{
    FieldSplitter f;
    f.SplitFields("0,1,2,3,4,5,6,7,8,9,10,11", ',');
    ASSERT_EQ(f.FieldCount, 12);
    f.SplitFields("a,b,c", ',');
    EXPECT_EQ(f.FieldCount, 3);
    for (int i = 3; i <= 9; ++i)
        EXPECT_EQ(f[i], "") << i;
    EXPECT_EQ(f[10], "10");
    EXPECT_EQ(f[11], "11");
}

TEST(FieldSplitter, LongRemaindersAndManyFieldsStayBounded)
{
    FieldSplitter f;
    const std::string tail(6000, 'z');
    f.SplitFields("head," + tail, ',');
    ASSERT_EQ(f.FieldCount, 2);
    EXPECT_EQ(f[1].size(), 5000u);

    // A course line of 20 entries has 21 fields and keeps them all.
    std::string course = "CRS";
    for (int i = 1; i <= 20; ++i)
        course += "," + std::to_string(i);
    f.SplitFields(course, ',');
    ASSERT_EQ(f.FieldCount, 21);
    EXPECT_EQ(f[20], "20");

    std::string many;
    for (int i = 0; i < 100; ++i)
        many += std::to_string(i) + ",";
    f.SplitFields(many, ',');
    EXPECT_EQ(f.FieldCount, FieldSplitter::kSlots);
    EXPECT_EQ(f[FieldSplitter::kSlots - 1], std::to_string(FieldSplitter::kSlots - 1));
}

TEST(TableCells, FormulasAreDefusedAndSeparatorsNeverBreakARow)
{
    for (const char* formula : {"=1+2", "+1", "-2+3", "@SUM(A1)"}) {
        EXPECT_EQ(CsvCell(formula), std::string("'") + formula);
        EXPECT_EQ(TsvField(formula), std::string("'") + formula);
    }
    EXPECT_EQ(CsvCell("-12.5", CellKind::Own), "-12.5") << "our own numbers stay numbers";
    EXPECT_EQ(TsvField("-0:00:03.0", CellKind::Own), "-0:00:03.0");
    EXPECT_EQ(CsvCell("a=b"), "a=b");

    EXPECT_EQ(CsvCell("Kai, \"Sea\"\nDog"), "\"Kai, \"\"Sea\"\"\nDog\"");
    EXPECT_EQ(CsvCell("=1,2"), "\"'=1,2\"");
    EXPECT_EQ(CsvCell("\tx"), "'\tx") << "a TAB is no CSV separator";
    EXPECT_EQ(CsvCell("\rx"), "\"'\rx\"");

    EXPECT_EQ(TsvField("a\tb\r\nc"), "a\\x09b\\x0D\\x0Ac");
    EXPECT_EQ(TsvField("\tx"), "'\\x09x");
    EXPECT_EQ(TsvField("s\xC3\xBC" "d"), "s\xC3\xBC" "d") << "UTF-8 passes";
}

} // namespace
} // namespace tackedit
