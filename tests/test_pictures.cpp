#include "picture_fixtures.h"
#include "pictures/photo_metadata.h"
#include "pictures/picture_export.h"
#include "pictures/picture_index.h"
#include "pictures/picture_reduce.h"
#include "platform/null_platform.h"
#include "race/race_file.h"
#include "base/data_error.h"
#include "base/file_buffer.h"
#include "write_failures.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <unistd.h>

namespace tackedit {
namespace {

namespace fs = std::filesystem;
using namespace fixtures;

std::string ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string JpegTakenAt(const std::string& exif_time, int width = 64, int height = 48, bool big_endian = false)
{
    ExifBlock block;
    block.date_time_original = exif_time;
    block.big_endian = big_endian;
    return MakeJpeg(width, height, 90, ExifPayload(block));
}

class PictureFolderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        root_ = fs::temp_directory_path() / ("tackedit-pictures-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "raceadmin");
        fs::create_directories(root_ / "photos");
    }
    void TearDown() override { fs::remove_all(root_); }
    std::string AppDir() const { return root_.string() + "/"; }

    fs::path root_;
};

TEST(PhotoMetadata, CaptureTimeInBothByteOrders)
{
    for (const bool big : {false, true}) {
        const std::string jpeg = JpegTakenAt("2010:05:12 10:20:30", 64, 48, big);
        EXPECT_EQ(CaptureTimeFromJpeg(jpeg), "2010/05/12 10:20:30") << big;
        // The scan data cut short does not matter: only the header is read.
        EXPECT_EQ(CaptureTimeFromJpeg(jpeg.substr(0, jpeg.size() / 2)), "2010/05/12 10:20:30") << big;
    }
}

TEST(PhotoMetadata, ReformatsOnlyTheFirstTwoColons)
{
    EXPECT_EQ(CaptureTimeText("2010:05:12 10:20:30"), "2010/05/12 10:20:30");
    EXPECT_EQ(CaptureTimeText("2010-05-12 10:20:30"), "2010-05-12 10/20/30");
    EXPECT_EQ(CaptureTimeText("no colons"), "//no colons");
    EXPECT_EQ(CaptureTimeText("a:" + std::string(150, 'x')), "a//" + std::string(100, 'x'));
    EXPECT_EQ(CaptureTimeFromJpeg(JpegTakenAt("2010-05-12 10:20:30")), "2010-05-12 10/20/30");
}

TEST(PhotoMetadata, EmptyForWhatIsNotAJpegWithTheItem)
{
    const std::string png = "\x89PNG\r\n\x1a\n" + std::string(64, '\0');
    EXPECT_EQ(CaptureTimeFromJpeg(png), "");
    EXPECT_EQ(CaptureTimeFromJpeg("Exif text in a file named .jpg"), "");
    EXPECT_EQ(CaptureTimeFromJpeg(""), "");
    EXPECT_EQ(CaptureTimeFromJpeg(MakeJpeg(16, 16, 90, std::nullopt)), "") << "no Exif";
    ExifBlock undefined;
    undefined.type = 7;
    EXPECT_EQ(CaptureTimeFromJpeg(MakeJpeg(16, 16, 90, ExifPayload(undefined))), "") << "not ASCII";
    std::string no_item = ExifPayload(ExifBlock());
    no_item[kExifIfdEntryCount] = no_item[kExifIfdEntryCount + 1] = '\0';
    EXPECT_EQ(CaptureTimeFromJpeg(MakeJpeg(16, 16, 90, no_item)), "") << "no DateTimeOriginal";
    EXPECT_EQ(ReadPhotoMetadata("/nonexistent/picture.jpg"), "");
}

TEST(PhotoMetadata, DamagedOffsetsAndCountsStayInsideTheSegment)
{
    struct Damage {
        const char* what;
        std::size_t at;
        std::uint32_t value;
    };
    const Damage damages[] = {{"Exif IFD beyond the segment", kExifIfdPointerValue, 0xFFFFFF00u},
                              {"Exif IFD at the segment's last bytes", kExifIfdPointerValue, 60},
                              {"text count huge", kDateCountField, 0xFFFFFFFFu},
                              {"text beyond the segment", kDateOffsetField, 0x7FFFFFF0u},
                              {"text straddling the end", kDateOffsetField, 56}};
    for (const bool big : {false, true}) {
        for (const Damage& d : damages) {
            ExifBlock block;
            block.big_endian = big;
            std::string payload = ExifPayload(block);
            PutTiffLong(payload, d.at, d.value, big);
            // A segment cut right after the damaged block, so a read past it would leave the buffer.
            const std::string jpeg = MakeJpeg(16, 16, 90, payload).substr(0, 4 + payload.size() + 2);
            const std::vector<char> exact(jpeg.begin(), jpeg.end());  // no spare capacity to read into
            EXPECT_EQ(CaptureTimeFromJpeg(std::string_view(exact.data(), exact.size())), "")
                << d.what << (big ? " (big-endian)" : "");
        }
    }
    // A segment length that runs past the end of the file.
    std::string jpeg = JpegTakenAt("2010:05:12 10:20:30");
    jpeg[4] = '\xFF';
    jpeg[5] = '\xFF';
    EXPECT_EQ(CaptureTimeFromJpeg(jpeg.substr(0, 200)), "");
}

TEST(PictureReduce, SizesFollowTheLongerSide)
{
    const struct {
        int w, h, size, W, H;
    } cases[] = {{4000, 3000, 500, 500, 375}, {3000, 4000, 500, 375, 500}, {1000, 1000, 500, 500, 500},
                 {64, 48, 500, 500, 375},     {1003, 751, 500, 500, 374},  {30000, 10, 200, 200, 1}};
    for (const auto& c : cases) {
        const PictureSize s = ReducedSize(c.w, c.h, c.size);
        EXPECT_EQ(s.width, c.W) << c.w << "x" << c.h;
        EXPECT_EQ(s.height, c.H) << c.w << "x" << c.h;
    }
}

TEST(PictureReduce, ExactSizeBaselineNoMetadataAndTheQualityInItsTables)
{
    const std::string source = JpegTakenAt("2010:05:12 10:20:30", 64, 48);
    const ReducedPicture small = ReduceJpeg(source, 500, 30);
    const auto frame = ReadFrame(small.jpeg);
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width, 500);
    EXPECT_EQ(frame->height, 375);
    EXPECT_TRUE(frame->baseline);
    EXPECT_FALSE(frame->has_app1) << "the copy carries no Exif";
    EXPECT_EQ(CaptureTimeFromJpeg(small.jpeg), "");
    // The luminance table of the standard, scaled for quality 30 (factor 5000 / 30).
    const int standard[8] = {16, 11, 10, 16, 24, 40, 51, 61};  // first row, natural order
    const auto table = QuantTable(small.jpeg, 0);
    ASSERT_TRUE(table);
    EXPECT_EQ(static_cast<unsigned char>((*table)[0]), (standard[0] * 166 + 50) / 100);
    EXPECT_EQ(static_cast<unsigned char>((*table)[1]), (standard[1] * 166 + 50) / 100);
    const auto fine = QuantTable(ReduceJpeg(source, 500, 90).jpeg, 0);
    ASSERT_TRUE(fine);
    EXPECT_EQ(static_cast<unsigned char>((*fine)[0]), (standard[0] * 20 + 50) / 100);

    const ReducedPicture big = ReduceJpeg(MakeJpeg(1003, 751, 90, std::nullopt), 500, 30);
    EXPECT_EQ(big.size.width, 500);
    EXPECT_EQ(big.size.height, 374);
    EXPECT_EQ(ReadFrame(big.jpeg)->height, 374);
    const ReducedPicture grey = ReduceJpeg(MakeJpeg(300, 400, 90, std::nullopt, 3, true), 200, 30);
    EXPECT_EQ(ReadFrame(grey.jpeg)->width, 150);
}

TEST(PictureReduce, ColoursStayWhereTheyWere)
{
    // Shrunk by a factor that is no library scale, so the resampler does part of it.
    const int w = 800, h = 400;
    const ReducedPicture reduced = ReduceJpeg(MakeJpeg(w, h, 95, std::nullopt), 350, 95);
    ASSERT_EQ(reduced.size.width, 350);
    ASSERT_EQ(reduced.size.height, 175);
    // The gradient of the test picture runs red to the right and green downwards.
    const auto at = [&](int x, int y, int c) { return reduced.rgb[static_cast<std::size_t>((y * 350 + x) * 3 + c)]; };
    EXPECT_LT(at(10, 87, 0), at(340, 87, 0));
    EXPECT_LT(at(175, 5, 1), at(175, 170, 1));
    // Same input, same bytes.
    EXPECT_EQ(ReduceJpeg(MakeJpeg(w, h, 95, std::nullopt), 350, 95).jpeg, reduced.jpeg);
}

TEST(PictureReduce, RefusesWhatIsNoPictureWithAnError)
{
    EXPECT_THROW(ReduceJpeg("not a jpeg at all", 500, 30, "x.jpg"), DataError);
    EXPECT_THROW(ReduceJpeg("", 500, 30, "x.jpg"), DataError);
    // Declared sizes patched into the frame header: refused before decoding.
    const std::string jpeg = MakeJpeg(16, 16, 90, std::nullopt);
    const std::size_t sof = jpeg.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    for (const unsigned side : {65535u, 20000u}) {
        std::string huge = jpeg;
        huge[sof + 5] = huge[sof + 7] = static_cast<char>(side >> 8);
        huge[sof + 6] = huge[sof + 8] = static_cast<char>(side & 0xFF);
        try {
            ReduceJpeg(huge, 500, 30, "huge.jpg");
            ADD_FAILURE() << side << " accepted";
        } catch (const DataError& e) {
            EXPECT_NE(std::string(e.what()).find("huge.jpg"), std::string::npos) << e.what();
        }
    }
    // Damaged scan data is decoded as far as it goes, with the library's warning.
    const std::string photo = MakeJpeg(640, 480, 90, std::nullopt);
    const ReducedPicture cut = ReduceJpeg(photo.substr(0, photo.size() * 2 / 3), 200, 30);
    EXPECT_EQ(cut.size.width, 200);
    EXPECT_NE(cut.warning, "");
    EXPECT_EQ(ReduceJpeg(photo, 200, 30).warning, "");
}

TEST(PictureReduce, ProgressivePicturesStayInsideTheMemoryLimit)
{
    // All scans of a progressive picture are held at full size: 12,247 x 12,247
    // (under the pixel limit) would take 900 MB.
    const std::string small = MakeJpeg(16, 16, 90, std::nullopt, 1, false, true);
    const std::size_t sof = small.find("\xFF\xC2");
    ASSERT_NE(sof, std::string::npos);
    std::string huge = small;
    huge[sof + 5] = huge[sof + 7] = static_cast<char>(12247 >> 8);
    huge[sof + 6] = huge[sof + 8] = static_cast<char>(12247 & 0xFF);
    try {
        ReduceJpeg(huge, 500, 30, "progressive.jpg");
        ADD_FAILURE() << "12247 x 12247 progressive decoded";
    } catch (const PictureTooLargeError& e) {
        EXPECT_NE(std::string(e.what()).find("progressive.jpg: "), std::string::npos) << e.what();
    }
    // A camera-sized one decodes, whole or cut short.
    const std::string photo = MakeJpeg(3000, 2000, 80, std::nullopt, 2, false, true);
    EXPECT_EQ(ReduceJpeg(photo, 300, 30).warning, "");
    const ReducedPicture cut = ReduceJpeg(photo.substr(0, photo.size() / 2), 300, 30);
    EXPECT_EQ(cut.size.height, 200);
    EXPECT_NE(cut.warning, "");
}

TEST_F(PictureFolderTest, ALargeExifBlockIsReadFromTheFile)
{
    // Cameras put a thumbnail in the block: it reaches past the first read of the file.
    for (const std::size_t padding : {std::size_t(4000), std::size_t(60000)}) {
        ExifBlock block;
        block.big_endian = padding > 10000;
        const std::string path = (root_ / "photos" / "big.jpg").string();
        WriteBytes(path, MakeJpeg(64, 48, 90, ExifPayload(block) + std::string(padding, 'x')));
        EXPECT_EQ(ReadPhotoMetadata(path), "2010/05/12 10:20:30") << padding;
    }
}

TEST_F(PictureFolderTest, FillBytesAreReadInBlocksAndAnEndlessHeaderIsGivenUp)
{
    // Fill bytes may stand before any marker; 1 MB of them still gives the time.
    const std::string jpeg = JpegTakenAt("2010:05:12 10:20:30");
    const std::string path = (root_ / "photos" / "filled.jpg").string();
    WriteBytes(path, jpeg.substr(0, 2) + std::string(1 << 20, '\xFF') + jpeg.substr(2));
    EXPECT_EQ(ReadPhotoMetadata(path), "2010/05/12 10:20:30");
    EXPECT_TRUE(ReadPhotoCaptureTime(path).readable);
    // 50 MB of them: given up on at once, not walked a byte at a time (40 s).
    WriteBytes(path, jpeg.substr(0, 2) + std::string(50 << 20, '\xFF') + jpeg.substr(2));
    const auto start = std::chrono::steady_clock::now();
    const PhotoCaptureTime endless = ReadPhotoCaptureTime(path);
    EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 5.0);
    EXPECT_EQ(endless.text, "");
    EXPECT_FALSE(endless.readable);

    WriteBytes(path, MakeJpeg(16, 16, 90, std::nullopt));
    EXPECT_TRUE(ReadPhotoCaptureTime(path).readable) << "a JPEG without a time is still read";
    WriteBytes(path, "not a picture");
    EXPECT_FALSE(ReadPhotoCaptureTime(path).readable);
}

TEST_F(PictureFolderTest, IndexKeepsPicturesInsideTheWindowWithTenMinutes)
{
    const fs::path photos = root_ / "photos";
    // Race 10:00 to 11:00, 3 minutes before the start: ReplayFrom -550 s, ReplayTo 3630 s.
    WriteBytes((photos / "IMG_1.JPG").string(), JpegTakenAt("2024:06:15 09:40:51", 300, 200));  // -1149: kept
    WriteBytes((photos / "b.jpg").string(), JpegTakenAt("2024:06:15 09:40:49", 300, 200));      // -1151: dropped
    WriteBytes((photos / "c.jpg").string(), JpegTakenAt("2024:06:15 11:10:29", 300, 200, true));  // 4229: kept
    WriteBytes((photos / "d.Jpg").string(), JpegTakenAt("2024:06:15 11:10:31", 300, 200));        // 4231: dropped
    WriteBytes((photos / "e.jpg").string(), MakeJpeg(300, 200, 90, std::nullopt));                // no time
    WriteBytes((photos / "notes.txt").string(), "notes");
    WriteBytes((photos / "f.jpeg").string(), JpegTakenAt("2024:06:15 10:30:00"));
    WriteBytes((root_ / "raceadmin" / "r.txt").string(),
               "ST,2024/06/15 10:00:00\r\nFT,2024/06/15 11:00:00\r\nPIC," + photos.string() + ",300,500\r\n");
    RaceSettings race;
    ReadRaceFile((root_ / "raceadmin" / "r.txt").string(), AppDir(), 2, race);
    PictureIndex index;
    NullPendingEvents events;
    IndexPictures(race, index, events);
    EXPECT_EQ(race.PictureFileCount, 5);
    EXPECT_EQ(index.PictureName, (std::vector<std::string>{"c.jpg", "IMG_1.JPG"}));
    EXPECT_EQ(index.PictureTimeText, (std::vector<std::string>{"2024/06/15 11:10:29", "2024/06/15 09:40:51"}));
    EXPECT_EQ(events.calls, 5);
    std::int64_t total = 0, kept = 0;
    for (const auto& f : fs::directory_iterator(photos))
        if (f.path().extension() != ".txt" && f.path().extension() != ".jpeg") {
            total += static_cast<std::int64_t>(f.file_size() / 1024);
            if (f.path().filename() == "c.jpg" || f.path().filename() == "IMG_1.JPG")
                kept += static_cast<std::int64_t>(f.file_size() / 1024);
        }
    ASSERT_GT(total, 0);
    EXPECT_EQ(PictureCountText(race, index), "2 / 5 Pictures  (" + std::to_string(kept) + "KB / " +
                                                 std::to_string(total) + "KB)");

    // Files that do not read as JPEGs are counted apart.
    WriteBytes((photos / "broken.jpg").string(), "not a picture");
    IndexPictures(race, index, events);
    const std::string text = PictureCountText(race, index);
    EXPECT_EQ(text.substr(0, 16), "2 / 6 Pictures  ");
    EXPECT_EQ(text.substr(text.size() - 15), "), 1 unreadable") << text;

    race.PicFolder = (root_ / "missing").string();
    IndexPictures(race, index, events);
    EXPECT_EQ(PictureCountText(race, index), "0 / 0 Pictures");
}

TEST_F(PictureFolderTest, ExportWritesTheIndexFileAndSameCopiesOnAnyNumberOfThreads)
{
    const fs::path photos = root_ / "photos";
    for (int i = 1; i <= 5; ++i)
        WriteBytes((photos / ("IMG_" + std::to_string(i) + ".JPG")).string(),
                   JpegTakenAt("2010:05:12 10:2" + std::to_string(i) + ":30", 640 - i, 480));
    WriteBytes((photos / "IMG_6.JPG").string(), JpegTakenAt("2010:05:12 10:26:30", 64, 48).substr(0, 300));
    const std::string race_text =
        "ST,2010/05/12 10:20:00\r\nFT,2010/05/12 11:00:00\r\nPIC," + photos.string() + ",-35,320\r\n";
    for (const char* name : {"race1.txt", "race.a.txt", "race.b.txt"})
        WriteBytes((root_ / "raceadmin" / name).string(), race_text);

    std::map<int, std::map<std::string, std::string>> outputs;
    for (const int threads : {1, 2}) {
        const fs::path dist = root_ / ("dist" + std::to_string(threads));
        PictureExportOptions options{AppDir(), dist.string(), 2, 30, threads};
        RaceSettings race;
        PictureIndex index;
        NullPendingEvents events;
        std::vector<std::string> shown;
        const auto failures = ExportDistributionPictures(
            {"race1.txt", "race.a.txt"}, options, race, index, events,
            [&](const PictureProgress& step) { shown.push_back(step.name + " " + std::to_string(step.number)); });
        ASSERT_EQ(failures.size(), 2u) << "the damaged picture, once per race";
        EXPECT_NE(failures[0].message.find("IMG_6.JPG"), std::string::npos);
        ASSERT_EQ(shown.size(), 12u);
        EXPECT_EQ(shown[0], "IMG_1.JPG 1");
        EXPECT_EQ(shown[5], "IMG_6.JPG 6");
        for (const auto& f : fs::recursive_directory_iterator(dist))
            if (f.is_regular_file())
                outputs[threads][fs::relative(f.path(), dist).string()] = ReadAll(f.path());
    }
    EXPECT_EQ(outputs[1], outputs[2]);
    const auto& files = outputs[1];
    EXPECT_EQ(files.size(), 12u) << "two folders: datetime.csv and five copies each";
    EXPECT_EQ(files.at("pic/race1/datetime.csv").substr(0, 34), "s_IMG_1.JPG,2010/05/12 10:21:30\r\ns");
    EXPECT_EQ(files.at("pic/race/datetime.csv").find("s_IMG_6.JPG"), std::string::npos) << "no copy, no line";
    EXPECT_EQ(files.count("pic/race1/s_IMG_6.JPG"), 0u);
    const auto frame = ReadFrame(files.at("pic/race1/s_IMG_1.JPG"));
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->width, 320);
    EXPECT_EQ(frame->height, 480 * 320 / 639);

    // The second race sharing the folder name replaces the first one's index file;
    // a picture gone since indexing is left out and named.
    // One thread: picture 3 is read only after picture 1 is reported.
    PictureExportOptions options{AppDir(), (root_ / "dist3").string(), 2, 30, 1};
    RaceSettings race;
    PictureIndex index;
    NullPendingEvents events;
    const auto gone = ExportDistributionPictures({"race.b.txt"}, options, race, index, events,
                                                 [&](const PictureProgress& step) {
                                                     if (step.number == 1)
                                                         fs::remove(photos / "IMG_3.JPG");
                                                 });
    EXPECT_TRUE(fs::exists(root_ / "dist3/pic/race/s_IMG_2.JPG"));
    EXPECT_FALSE(fs::exists(root_ / "dist3/pic/race/s_IMG_3.JPG"));
    EXPECT_EQ(ReadAll(root_ / "dist3/pic/race/datetime.csv").find("s_IMG_3.JPG,"), std::string::npos);
    ASSERT_EQ(gone.size(), 2u);
    EXPECT_EQ(gone[0].problem, PictureProblem::Missing);
    EXPECT_NE(gone[0].message.find("IMG_3.JPG"), std::string::npos);
}

TEST_F(PictureFolderTest, PicturesThatCannotGoInAreLeftOutAndNamedAndTheDamagedSalvaged)
{
    const fs::path photos = root_ / "photos";
    const std::string photo = JpegTakenAt("2010:05:12 10:21:30", 640, 480);
    std::string huge = MakeJpeg(16, 16, 90, ExifPayload(ExifBlock{false, "2010:05:12 10:21:30"}), 1, false, true);
    const std::size_t sof = huge.find("\xFF\xC2");
    ASSERT_NE(sof, std::string::npos);
    huge[sof + 5] = huge[sof + 7] = static_cast<char>(12247 >> 8);
    huge[sof + 6] = huge[sof + 8] = static_cast<char>(12247 & 0xFF);
    WriteBytes((photos / "a_whole.jpg").string(), photo);
    WriteBytes((photos / "b_cut.jpg").string(), photo.substr(0, photo.size() * 2 / 3));
    WriteBytes((photos / "c_header.jpg").string(), photo.substr(0, 300));
    WriteBytes((photos / "d_huge.jpg").string(), huge);
    WriteBytes((photos / "e,comma.jpg").string(), photo);
    WriteBytes((photos / "f\nline.jpg").string(), photo);
    WriteBytes((photos / "g\xED\x95\x9C.jpg").string(), photo);  // Hangul: not in Shift-JIS
    WriteBytes((root_ / "raceadmin/race1.txt").string(),
               "ST,2010/05/12 10:20:00\r\nFT,2010/05/12 11:00:00\r\nPIC," + photos.string() + ",0,320\r\n");
    PictureExportOptions options{AppDir(), (root_ / "dist").string(), 2, 30, 2};
    RaceSettings race;
    PictureIndex index;
    NullPendingEvents events;
    const auto failures = ExportDistributionPictures({"race1.txt"}, options, race, index, events, nullptr);

    const fs::path target = root_ / "dist/pic/race1";
    EXPECT_EQ(ReadAll(target / "datetime.csv"),
              "s_a_whole.jpg,2010/05/12 10:21:30\r\ns_b_cut.jpg,2010/05/12 10:21:30\r\n");
    EXPECT_EQ(FolderFiles(target).size(), 3u) << "the index file and two copies";
    std::vector<PictureProblem> problems;
    for (const PictureFailure& f : failures)
        problems.push_back(f.problem);
    EXPECT_EQ(problems, (std::vector<PictureProblem>{PictureProblem::Salvaged, PictureProblem::Undecodable,
                                                      PictureProblem::TooLarge, PictureProblem::NameSeparator,
                                                      PictureProblem::NameSeparator,
                                                      PictureProblem::NameNotShiftJis}));
    const std::string report = PictureReportText(failures, 10);
    EXPECT_EQ(report.substr(0, report.find('\n')),
              "5 pictures left out of the distribution (1 name datetime.csv cannot hold, 2 comma, CR or LF in the "
              "name, 1 too large to decode, 1 undecodable):");
    EXPECT_NE(report.find("\n1 picture damaged, reduced from what decodes of them:\n" + (photos / "b_cut.jpg").string()),
              std::string::npos)
        << report;
    for (const char* name : {"c_header.jpg", "d_huge.jpg", "e,comma.jpg", "f\nline.jpg"})
        EXPECT_NE(report.find((photos / name).string() + ": "), std::string::npos) << name;
    const std::string short_report = PictureReportText(failures, 2);
    EXPECT_EQ(short_report.substr(short_report.rfind('\n') + 1), "... and 4 pictures more");
    EXPECT_EQ(PictureReportText({}, 10), "");
}

TEST_F(PictureFolderTest, ExportWriteFailuresNameTheFileAndKeepTheOldOne)
{
    WriteBytes((root_ / "photos/IMG_1.JPG").string(), JpegTakenAt("2010:05:12 10:21:30"));
    WriteBytes((root_ / "raceadmin/race1.txt").string(), "ST,2010/05/12 10:20:00\r\nFT,2010/05/12 11:00:00\r\nPIC," +
                                                           (root_ / "photos").string() + ",0,320\r\n");
    const fs::path target = root_ / "dist/pic/race1";
    auto export_fails_at = [&](const fs::path& file) {
        PictureExportOptions options{AppDir(), (root_ / "dist").string(), 2, 30, 2};
        RaceSettings race;
        PictureIndex index;
        NullPendingEvents events;
        try {
            ExportDistributionPictures({"race1.txt"}, options, race, index, events, nullptr);
            ADD_FAILURE() << "exported with " << file << " unwritable";
        } catch (const DataError& e) {
            EXPECT_EQ(e.file(), file.string()) << e.what();
        }
    };
    // A folder stands where datetime.csv goes.
    fs::create_directories(target / "datetime.csv");
    export_fails_at(target / "datetime.csv");
    EXPECT_EQ(std::distance(fs::directory_iterator(target), fs::directory_iterator()), 2)
        << "the copy and no temporary file";
    fs::remove(target / "datetime.csv");

    // A full disk half-way through the reduced copy: the old copy stays.
    WriteBytes((target / "s_IMG_1.JPG").string(), "old copy");
    {
        const FileSizeLimit limit(200);
        export_fails_at(target / "s_IMG_1.JPG");
    }
    const auto files = FolderFiles(target);
    EXPECT_EQ(files.size(), 1u) << "the old copy, no temporary file, no index of a copy not made";
    EXPECT_EQ(files.at("s_IMG_1.JPG"), "old copy");
}

// A picture another program rewrites while it is reduced: it is left out and
// named; the other pictures are not disturbed.
std::string g_cut_picture;
void CutPicture(const std::string& path)
{
    if (path == g_cut_picture)
        fs::resize_file(path, 10);
}

TEST_F(PictureFolderTest, APictureCutShortWhileReadIsLeftOut)
{
    for (const char* name : {"IMG_1.JPG", "IMG_2.JPG"})
        WriteBytes((root_ / "photos" / name).string(), JpegTakenAt("2010:05:12 10:21:30", 1600, 1200));
    WriteBytes((root_ / "raceadmin/race1.txt").string(), "ST,2010/05/12 10:20:00\r\nFT,2010/05/12 11:00:00\r\nPIC," +
                                                           (root_ / "photos").string() + ",0,320\r\n");
    g_cut_picture = (root_ / "photos/IMG_2.JPG").string();
    SetOpenedFileHookForTesting(CutPicture);
    PictureExportOptions options{AppDir(), (root_ / "dist").string(), 2, 30, 1};
    RaceSettings race;
    PictureIndex index;
    NullPendingEvents events;
    const auto failures = ExportDistributionPictures({"race1.txt"}, options, race, index, events, nullptr);
    SetOpenedFileHookForTesting(nullptr);
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].file, g_cut_picture);
    EXPECT_NE(failures[0].message.find("changed while it was read"), std::string::npos) << failures[0].message;
    EXPECT_TRUE(fs::exists(root_ / "dist/pic/race1/s_IMG_1.JPG"));
    EXPECT_FALSE(fs::exists(root_ / "dist/pic/race1/s_IMG_2.JPG"));
}

} // namespace
} // namespace tackedit
