#include "screens/replay_open.h"

#include "base/messages.h"
#include "platform/trash.h"
#include "replay/single_file.h"
#include "base/data_error.h"

#include <filesystem>


namespace tackedit {

bool OpenReplay(const ReplayRaces& races, AppState& state, PlatformServices& services, std::string* built)
{
    std::string index;
    services.cursor.ShowBusyCursor();
    try {
        index = BuildControlReplay(races, state.paths.AppDir);
    } catch (const DataError& e) {
        services.cursor.ShowDefaultCursor();
        services.dialogs.ShowMessage("tackvue", Say(texts::kReplayNotBuilt, state.UiLanguage, {e.what()}));
        return false;
    }
    services.cursor.ShowDefaultCursor();
    if (built)
        *built = index;
    if (!services.shell.OpenDocument(index)) {
        const std::string folder = index.substr(0, index.rfind('/'));
        services.dialogs.ShowMessage("tackvue", Say(texts::kReplayNoBrowser, state.UiLanguage, {folder}));
        return false;
    }
    return true;
}

bool SaveReplayFile(const ReplayRaces& races, const std::string& suggested, AppState& state,
                    PlatformServices& services)
{
    auto path = services.dialogs.SaveFile("Web page (*.html)|*.html", suggested);
    if (!path)
        return false;
    if (std::filesystem::path(*path).extension().empty())
        *path += ".html";
    ReplayBuildOptions options;
    options.app_dir = state.paths.AppDir;
    // The save dialog has asked about a file of that name already.
    options.replace = true;
    options.move_to_trash = MoveToTrash;
    services.cursor.ShowBusyCursor();
    try {
        BuildSingleFileReplay(races, *path, options);
    } catch (const DataError& e) {
        services.cursor.ShowDefaultCursor();
        services.dialogs.ShowMessage("tackvue", Say(texts::kReplayNotBuilt, state.UiLanguage, {e.what()}));
        return false;
    }
    services.cursor.ShowDefaultCursor();
    services.dialogs.ShowMessage("tackvue", Say(texts::kReplayFileSaved, state.UiLanguage, {*path}), true);
    return true;
}

bool OpenReplayOfRaceFile(const std::string& race_file, AppState& state, PlatformServices& services)
{
    ReplayBuildOptions read;
    read.app_dir = state.paths.AppDir;
    return OpenReplay(RaceFiles({race_file}, read), state, services);
}

} // namespace tackedit
