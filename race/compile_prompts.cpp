// The compile screen's prompts refuse what the race file or the viewer could
// not take, while the user can still change it, and say what a read left out.

#include "race/compile_core.h"
#include "race/compile_screen.h"
#include "shell/messages.h"

#include <QFontMetrics>
#include <QListWidget>
#include <QScrollBar>

namespace tackedit {

std::optional<std::string> CompileScreen::AskBoatName(const std::string& proposed)
{
    std::string text = proposed;
    for (;;) {
        const auto name = services_.dialogs.InputBox("Boat Name", "Boat Name ?", text);
        if (!name)
            return std::nullopt;
        const auto problem = BoatNameProblem(*name, state_.UiLanguage);
        if (!problem)
            return name;
        ShowError(*problem);
        text = *name;  // asked again with what was typed
    }
}

std::optional<std::string> CompileScreen::AskRaceFileName(const std::string& proposed)
{
    std::string text = proposed;
    for (;;) {
        const auto answer = services_.dialogs.InputBox("Race Admin File", "Input Race Admin File Name.", text);
        if (!answer)
            return std::nullopt;
        const std::string name = RaceFileNameFromAnswer(*answer);
        const auto problem = RaceFileNameProblem(name, state_.UiLanguage);
        if (!problem)
            return name;
        ShowError(*problem);
        text = *answer;
    }
}

void CompileScreen::ReportSkippedBoats(const RaceFileSkips& skips)
{
    std::vector<const RaceFileSkips::Boat*> skipped;
    for (const RaceFileSkips::Boat& boat : skips.boats)
        if (!boat.list_full)
            skipped.push_back(&boat);
    if (skipped.empty())
        return;
    std::string text = Say(texts::kBoatsLeftOut, state_.UiLanguage);
    const std::size_t shown = std::min<std::size_t>(skipped.size(), 20);
    for (std::size_t i = 0; i < shown; ++i)
        text += "\n" + skipped[i]->name + " / " + skipped[i]->file;
    if (skips.missing_boats > static_cast<std::int64_t>(shown))
        text += Say(texts::kAndMore, state_.UiLanguage,
                    {std::to_string(skips.missing_boats - static_cast<std::int64_t>(shown))});
    ShowError(text);
}

void ShowLongEntriesAsToolTips(QListWidget* list)
{
    // The room left when the scroll bar shows: the entry is cut in that case too.
    const int room = list->width() - 2 * list->frameWidth() - list->verticalScrollBar()->sizeHint().width() - 4;
    const QFontMetrics metrics(list->font());
    for (int i = 0; i < list->count(); ++i) {
        QListWidgetItem* item = list->item(i);
        item->setToolTip(metrics.horizontalAdvance(item->text()) > room ? item->text() : QString());
    }
}

void CompileScreen::LeaveProgressPanel()
{
    // The progress panel has no buttons: a failed save goes back to its race.
    if (state_.ScreenMode == 6)
        host_.SwitchScreen(3);
}

} // namespace tackedit
