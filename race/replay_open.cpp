#include "race/replay_open.h"

#include "shell/messages.h"
#include "track/data_error.h"

#include <filesystem>

namespace tackedit {

bool OpenReplay(const ReplayRaces& races, AppState& state, PlatformServices& services)
{
    ReplayBuildOptions options;
    options.app_dir = state.paths.AppDir;
    options.replace = true;
    // Our own output of the last click: it goes, not to the trash.
    options.move_to_trash = [](const std::string& path) {
        std::error_code error;
        std::filesystem::remove_all(path, error);
        return !error;
    };
    const std::string folder = state.paths.AppDir + "ctrl/replay";
    services.cursor.ShowBusyCursor();
    try {
        std::error_code ignored;
        std::filesystem::create_directories(state.paths.AppDir + "ctrl", ignored);
        BuildReplay(races, folder, options);
    } catch (const DataError& e) {
        services.cursor.ShowDefaultCursor();
        services.dialogs.ShowMessage("tackvue", Say(texts::kReplayNotBuilt, state.UiLanguage, {e.what()}));
        return false;
    }
    services.cursor.ShowDefaultCursor();
    if (!services.shell.OpenDocument(folder + "/index.html")) {
        services.dialogs.ShowMessage("tackvue", Say(texts::kReplayNoBrowser, state.UiLanguage, {folder}));
        return false;
    }
    return true;
}

bool OpenReplayOfRaceFile(const std::string& race_file, AppState& state, PlatformServices& services)
{
    ReplayBuildOptions read;
    read.app_dir = state.paths.AppDir;
    return OpenReplay(RaceFiles({race_file}, read), state, services);
}

} // namespace tackedit
