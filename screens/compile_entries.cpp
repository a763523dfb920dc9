// The compile screen's race day: the boats from the committee's entry list,
// each with its track, and the day's races split from the saved race.

#include "screens/compile_screen.h"

#include "base/data_error.h"
#include "base/messages.h"
#include "base/numbers.h"
#include "base/workspace_files.h"
#include "entries/day_split.h"
#include "entries/entry_list.h"
#include "entries/track_match.h"
#include "platform/cursor.h"
#include "platform/qt/qt_platform.h"
#include "race/compile_core.h"
#include "replay/day_starts.h"
#include "screens/entries_dialog.h"
#include "track/track_loader.h"

#include <QDateEdit>
#include <QLineEdit>
#include <QListWidget>
#include <QTimeEdit>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace tackedit {

namespace {

constexpr Text kEntryListFilter{"Entry lists (*.csv, *.txt, *.xml)|*.csv;*.txt;*.xml|ALL(*.*)|*.*",
                                "エントリーリスト (*.csv, *.txt, *.xml)|*.csv;*.txt;*.xml|ALL(*.*)|*.*"};
constexpr Text kTooManyClasses{"%1: the list has %2 classes; a race holds at most %3. Nothing was changed.",
                               "%1: リストのクラスは%2です（1レースのクラスは%3までです）。何も変更していません。"};
constexpr Text kNoTrackChosen{"Choose a track for at least one entry.", "少なくとも1艇に航跡を選んでください。"};
constexpr Text kSameTrack{"%1 and %2 both have %3: a track is one boat's.",
                          "%1 と %2 が同じ航跡 %3 を使っています。1つの航跡は1艇のものです。"};
constexpr Text kNoClass{"%1 has no class in a list with classes: Save Data keeps only the boats of a class. "
                        "Give it a class in the list, or choose (none).",
                        "%1 にクラスがありません。クラスのあるレースでは、データの保存でクラスのない艇は保存されません。"
                        "リストでクラスを付けるか、(なし) を選んでください。"};
constexpr Text kTheGpsFileOf{"The GPS file of %1", "%1 のGPSファイル"};
constexpr Text kClassN{"Class %1", "クラス%1"};
constexpr Text kPastLimit{"%1 entries with a track past the %2th are left out: a race holds at most %2 boats.",
                          "%2艇目より後の航跡のあるエントリー%1艇は外しました（1レースの艇は%2艇までです）。"};
constexpr Text kSplitCaption{"Split the day", "レース分割"};
constexpr Text kSaveFirst{"Save the race first: the day's races are copies of its race file.",
                          "先にレースを保存してください。分割するレースはレースファイルのコピーです。"};
constexpr Text kAskStarts{"Start times of the day's races (H:MM or H:MM:SS, comma-separated):",
                          "各レースのスタート時刻（H:MM または H:MM:SS、カンマ区切り）:"};
constexpr Text kAskFinishAfter{"Each race finishes at the next start or this many minutes after its own start:",
                               "各レースは次のスタート、またはスタートからこの分数で終了します:"};
constexpr Text kNotMinutes{"'%1' is not a positive number of minutes.", "「%1」は正の分数ではありません。"};
constexpr Text kWriteThese{"Write these race files?", "次のレースファイルを作成しますか？"};
constexpr Text kWritten{"Written: %1", "作成しました: %1"};
constexpr Text kFindCaption{"Find starts", "スタート検出"};
constexpr Text kFound{"Starts found in the tracks:", "航跡から求めたスタート時刻:"};

bool SameName(const std::string& a, const std::string& b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

std::string Clock(DateTime time)
{
    const DateTimeParts p = DecodeDateTimeToSecond(time);
    char text[16];
    std::snprintf(text, sizeof text, "%d:%02d:%02d", p.hour, p.minute, p.second);
    return text;
}

} // namespace

void CompileScreen::ButtonEntriesClick()
{
    const int lang = state_.UiLanguage;
    const auto path = services_.dialogs.OpenFile(Say(kEntryListFilter, lang), state_.paths.AppDir);
    if (!path)
        return;
    EntryList list;
    try {
        list = ReadEntryList(*path);
    } catch (const DataError& e) {
        ShowError(e.what());
        return;
    }
    const std::string list_name = std::filesystem::path(*path).filename().string();
    if (list.Classes().size() > static_cast<std::size_t>(RaceSettings::kMaxClasses)) {
        ShowError(Say(kTooManyClasses, lang,
                      {list_name, std::to_string(list.Classes().size()), std::to_string(RaceSettings::kMaxClasses)}));
        return;
    }
    // Ties only the race's time can break are broken by the times on screen.
    const auto typed = ParseInteger(FromQString(Edit10->text()));
    const int hours = typed && TimeDiffHolds(static_cast<int>(std::clamp<std::int64_t>(*typed, -99, 99)))
                          ? static_cast<int>(*typed)
                          : state_.race.TimeDiff;
    const RaceWindow window{PickerTime(DateTimePicker1, DateTimePicker2) - hours / 24.0,
                            PickerTime(DateTimePicker3, DateTimePicker4) - hours / 24.0};
    const std::string gpsdat = state_.paths.AppDir + "gpsdat";
    services_.cursor.ShowBusyCursor();
    const EntryMatches found = MatchTracks(gpsdat, list, window);
    const std::vector<std::string> files = ListTrackFiles(gpsdat);
    services_.cursor.ShowDefaultCursor();

    EntriesDialog dialog(this, list_name, list, found, files, lang, services_.dialogs,
                         [this, &list](const EntriesDialog::Choices& chosen) { return EntryChoiceProblem(list, chosen); });
    if (dialog.exec() != QDialog::Accepted)
        return;
    TakeEntries(list, dialog.ChosenFiles());
}

std::optional<std::string> CompileScreen::EntryChoiceProblem(const EntryList& list,
                                                             const std::vector<std::optional<std::string>>& files) const
{
    const int lang = state_.UiLanguage;
    std::vector<std::size_t> taken;
    for (std::size_t e = 0; e < files.size(); ++e) {
        if (!files[e])
            continue;
        for (const std::size_t other : taken)
            if (SameName(*files[other], *files[e]))
                return Say(kSameTrack, lang, {EntryBoatName(list.entries[other]), EntryBoatName(list.entries[e]), *files[e]});
        taken.push_back(e);
    }
    if (taken.empty())
        return Say(kNoTrackChosen, lang);
    // What Save Data could not write is refused while the user can still choose.
    for (std::size_t i = 0; i < taken.size() && i < static_cast<std::size_t>(RaceSettings::kMaxBoats); ++i) {
        const std::string name = EntryBoatName(list.entries[taken[i]]);
        if (auto problem = BoatNameProblem(name, lang))
            return problem;
        if (auto problem = RaceFieldProblem(*files[taken[i]], Say(kTheGpsFileOf, lang, {name}), lang))
            return problem;
    }
    const std::vector<std::string> classes = list.Classes();
    for (const std::size_t e : taken)
        if (!classes.empty() && list.entries[e].boat_class.empty())
            return Say(kNoClass, lang, {EntryBoatName(list.entries[e])});
    for (std::size_t c = 0; c < classes.size(); ++c)
        if (auto problem = RaceFieldProblem(classes[c], Say(kClassN, lang, {std::to_string(c + 1)}), lang))
            return problem;
    return std::nullopt;
}

void CompileScreen::TakeEntries(const EntryList& list, const std::vector<std::optional<std::string>>& files)
{
    RaceSettings& race = state_.race;
    const bool first_boats = race.BoatCount == 0;
    // A boat whose file the race had keeps its start correction and display options.
    struct Kept {
        std::string file;
        int offset, shown, entered;
    };
    std::vector<Kept> kept;
    for (std::size_t i = 0; i < static_cast<std::size_t>(race.BoatCount); ++i)
        kept.push_back({race.BoatGpsFile[i], race.BoatStartOffset[i], race.BoatShown[i], race.BoatEntered[i]});
    race.ClearBoats();
    race.ClassNames = list.Classes();
    race.ClassesOn = race.ClassNames.empty() ? 0 : 1;
    std::size_t past_limit = 0;
    for (std::size_t e = 0; e < files.size() && e < list.entries.size(); ++e) {
        if (!files[e])
            continue;
        if (race.BoatCount >= RaceSettings::kMaxBoats) {
            ++past_limit;
            continue;
        }
        const Entry& entry = list.entries[e];
        const auto in_class = std::find(race.ClassNames.begin(), race.ClassNames.end(), entry.boat_class);
        const int boat_class =
            entry.boat_class.empty() ? 0 : static_cast<int>(in_class - race.ClassNames.begin()) + 1;
        const auto old = std::find_if(kept.begin(), kept.end(), [&](const Kept& k) { return SameName(k.file, *files[e]); });
        if (old != kept.end())
            race.AddBoat(*files[e], EntryBoatName(entry), boat_class, entry.tcf, old->offset, old->shown, old->entered);
        else
            race.AddBoat(*files[e], EntryBoatName(entry), boat_class, entry.tcf);
    }
    // The boats the opened file left out are replaced by the list's.
    opened_skips_.boats.clear();
    opened_skips_.full_boats = 0;
    RefillBoatList(" / ");
    if (first_boats) {
        // As the first boat added by hand: its track presets the race's time and area.
        state_.edit.CurrentTrackFile = FindWorkspaceFile(state_.paths.AppDir + "gpsdat", race.BoatGpsFile[0])
                                           .value_or(state_.paths.AppDir + "gpsdat/" + race.BoatGpsFile[0]);
        RaceAreaFromTrack();
    }
    if (past_limit > 0)
        ShowError(Say(kPastLimit, state_.UiLanguage,
                      {std::to_string(past_limit), std::to_string(RaceSettings::kMaxBoats)}));
}

void CompileScreen::ButtonSplitClick() { SplitDay(""); }

void CompileScreen::ButtonFindStartsClick()
{
    const int lang = state_.UiLanguage;
    if (state_.RaceFileName.empty() || HasUnsavedChanges()) {
        ShowError(Say(kSaveFirst, lang));
        return;
    }
    std::vector<FoundStart> found;
    std::vector<std::string> notes;
    try {
        const SplitSource source = ReadSplitSource(state_.paths.AppDir, state_.RaceFileName);
        const BusyCursorScope busy(services_.cursor);
        found = DetectStarts(source, notes);
    } catch (const DataError& e) {
        ShowError(e.what());
        return;
    }
    std::string text = Say(kFound, lang) + "\n", starts;
    for (const FoundStart& start : found) {
        text += "\n" + Clock(start.start) + "   " + start.how;
        starts += (starts.empty() ? "" : ", ") + Clock(start.start);
    }
    for (const std::string& note : notes)
        text += "\n\n" + note;
    services_.dialogs.ShowMessage(Say(kFindCaption, lang), text, true);
    SplitDay(starts);  // the times proposed, to confirm or mend
}

void CompileScreen::SplitDay(std::string starts)
{
    const int lang = state_.UiLanguage;
    const std::string caption = Say(kSplitCaption, lang);
    // The races are copies of the file: what is only on screen would be lost.
    if (state_.RaceFileName.empty() || HasUnsavedChanges()) {
        ShowError(Say(kSaveFirst, lang));
        return;
    }
    SplitSource source;
    try {
        source = ReadSplitSource(state_.paths.AppDir, state_.RaceFileName);
    } catch (const DataError& e) {
        ShowError(e.what());
        return;
    }
    std::string minutes_text = "60";
    for (;;) {
        const auto typed = services_.dialogs.InputBox(caption, Say(kAskStarts, lang), starts);
        if (!typed)
            return;
        starts = *typed;
        const auto minutes_typed = services_.dialogs.InputBox(caption, Say(kAskFinishAfter, lang), minutes_text);
        if (!minutes_typed)
            return;
        minutes_text = *minutes_typed;
        const auto finish_after = ParseFinishAfter(minutes_text);
        if (!finish_after) {
            ShowError(Say(kNotMinutes, lang, {minutes_text}));
            continue;  // asked again with what was typed
        }
        std::vector<DateTime> times;
        try {
            times = ParseStartTimes(starts);
        } catch (const DataError& e) {
            ShowError(e.message());  // the text typed is the whole of it
            continue;
        }
        for (DateTime& time : times)
            time += source.day;
        DaySplit plan;
        try {
            plan = PlanDaySplit(source, times, *finish_after);
        } catch (const DataError& e) {
            ShowError(e.what());
            continue;
        }
        std::string text = Say(kWriteThese, lang) + "\n";
        for (std::size_t i = 0; i < plan.names.size(); ++i)
            text += "\n" + plan.names[i] + "   " + Clock(plan.starts[i]) + " - " + Clock(plan.finishes[i]);
        for (const std::string& note : plan.notes)
            text += "\n\n" + note;
        if (!services_.dialogs.AskYesNo(caption, text))
            return;
        try {
            WriteDaySplit(source, plan);
        } catch (const DataError& e) {
            ShowError(e.what());
            return;
        }
        ListRaceFiles();
        std::string names;
        for (const std::string& name : plan.names)
            names += (names.empty() ? "" : ", ") + name;
        services_.dialogs.ShowMessage(caption, Say(kWritten, lang, {names}), true);
        return;
    }
}

} // namespace tackedit
