// The results window of the compile screen: the results library's ranks and
// statuses for the demo race, its export for scoring programs, and a race
// without results that says why.

#include "compile_screen_test.h"
#include "replay/race_results.h"
#include "replay/scoring_csv.h"
#include "screens/compile_screen.h"
#include "screens/results_view.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace tackedit {
namespace {

namespace fs = std::filesystem;

class ResultsViewTest : public CompileScreenTest {
protected:
    // The demo workspace's race, opened on the compile screen; `edit` changes its file first.
    CompileScreen& OpenDemoRace(std::vector<std::string> fonts = {"DejaVu Sans"},
                                void (*edit)(std::string&) = nullptr)
    {
        for (const char* folder : {"gpsdat", "raceadmin", "winddat", "attachment"})
            fs::copy(fs::path(TACKEDIT_DEMO) / folder, ws_ / folder,
                     fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        if (edit) {
            std::string text = ReadFile(ws_ / "raceadmin" / "demo_race.txt");
            edit(text);
            std::ofstream(ws_ / "raceadmin" / "demo_race.txt", std::ios::binary) << text;
        }
        Start(std::move(fonts));
        auto& screen = *form_->findChild<CompileScreen*>();
        EXPECT_TRUE(screen.OpenRace("demo_race.txt"));
        return screen;
    }
    ResultsView* View()
    {
        auto* view = form_->findChild<ResultsView*>();
        EXPECT_NE(view, nullptr);
        return view;
    }
    template <class T>
    T* InView(const char* name)
    {
        return View()->findChild<T*>(QString::fromLatin1(name));
    }
};

TEST_F(ResultsViewTest, DemoRaceShowsTheLibrarysResultsAndExportsTheScoringRows)
{
    OpenDemoRace();
    Click("ButtonResults");
    ReplayRace race = ReadReplayRace(ws_.string() + "/", "demo_race.txt", ReplayReadOptions{false, false, true});
    const auto expected = ComputeResults(std::move(race));
    ASSERT_TRUE(expected.has_value());
    auto* table = InView<QTableWidget>("ResultsTable");
    ASSERT_EQ(table->rowCount(), static_cast<int>(expected->size()));
    for (int row = 0; row < table->rowCount(); ++row) {
        const RaceResult& r = (*expected)[static_cast<std::size_t>(row)];
        EXPECT_EQ(table->item(row, 1)->text().toStdString(), r.name);
        EXPECT_EQ(table->item(row, 3)->text().toStdString(), r.status == "OK" ? "finished" : r.status);
        EXPECT_EQ(table->item(row, 0)->text().toStdString(),
                  r.status == "OK" && r.rank ? std::to_string(*r.rank) : "");
    }
    EXPECT_FALSE(InView<QLabel>("ResultsMessage")->isVisibleTo(View()));
    EXPECT_EQ(InView<QTableWidget>("StartTable")->rowCount(), 5);

    // A click on the winner shows its race: S, 1, 2, 1, F is four legs.
    table->setCurrentCell(0, 1);
    emit table->cellClicked(0, 1);
    EXPECT_EQ(InView<QComboBox>("AnalysisBoat")->currentText(), table->item(0, 1)->text());
    EXPECT_EQ(InView<QTableWidget>("LegsTable")->rowCount(), 4);
    EXPECT_EQ(InView<QTableWidget>("MarksTable")->rowCount(), 3);
    EXPECT_GT(InView<QTableWidget>("ManoeuvresTable")->rowCount(), 0);
    if (const char* shots = std::getenv("TACKEDIT_SCREENSHOTS"))
        View()->grab().save(QString::fromLocal8Bit(shots) + QStringLiteral("/results-view.png"));

    const fs::path csv = ws_ / "scores.csv";
    dialogs_.paths.push_back(csv.string());
    InView<QPushButton>("ExportCsvButton")->click();
    EXPECT_EQ(dialogs_.calls.back().kind, "information");
    EXPECT_EQ(dialogs_.calls[dialogs_.calls.size() - 2].folder, ws_.string() + "/demo_race-results.csv");
    const std::string written = ReadFile(csv);
    EXPECT_EQ(written, ForScoringCsv({*expected}, nullptr, "\r\n"));
    EXPECT_EQ(written.rfind("RaceNo,Class,SailNo,Boat,Start,Finish,Elapsed,Code,Place\r\n1,,,", 0), 0u) << written;

    // A folder that is not there: nothing written, the message names the file.
    dialogs_.paths.push_back((ws_ / "gone" / "scores").string());
    InView<QPushButton>("ExportCsvButton")->click();
    EXPECT_NE(dialogs_.Messages().back().find("gone/scores.csv"), std::string::npos) << dialogs_.Messages().back();
    EXPECT_FALSE(fs::exists(ws_ / "gone"));
}

TEST_F(ResultsViewTest, ARaceWithoutResultsSaysWhyInsteadOfAnEmptyTable)
{
    OpenDemoRace({"ＭＳ Ｐゴシック"}, [](std::string& text) { text.erase(text.find("CRS,")); });
    Click("ButtonResults");
    auto* message = InView<QLabel>("ResultsMessage");
    EXPECT_TRUE(message->isVisibleTo(View()));
    EXPECT_NE(message->text().toStdString().find("the course does not end with F"), std::string::npos)
        << message->text().toStdString();
    EXPECT_TRUE(message->text().startsWith(QStringLiteral("このレースの成績")));
    EXPECT_FALSE(InView<QTableWidget>("ResultsTable")->isVisibleTo(View()));
    EXPECT_FALSE(InView<QPushButton>("ExportCsvButton")->isEnabled());

    // A box that is not a number is a message from Results and Replay alike.
    Find<QLineEdit>("Edit5")->setText(QStringLiteral("x"));
    const std::size_t before = dialogs_.Messages().size();
    Click("ButtonResults");
    Click("ButtonReplay");
    ASSERT_EQ(dialogs_.Messages().size(), before + 2);
    EXPECT_TRUE(shell_.opened.empty());
}

} // namespace
} // namespace tackedit
