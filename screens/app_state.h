#pragma once

// The state the whole run shares, held once by the application and passed by
// reference to the screens that need it.

#include "distribution/distribution_core.h"
#include "editor/editor_state.h"
#include "external/settings.h"
#include "pictures/picture_index.h"
#include "platform/beeper.h"
#include "platform/cursor.h"
#include "platform/dialogs.h"
#include "platform/installed_fonts.h"
#include "platform/pending_events.h"
#include "platform/shell_services.h"
#include "platform/time_zone.h"
#include "race/race_settings.h"
#include "track/track_loader.h"
#include "track/track_store.h"

#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

namespace tackedit {

// Where the workspace's files live; all derived from the program's folder.
struct WorkspacePaths {
    std::string AppDir;  // with a trailing separator
    std::string ViewerExe = "tackvue.exe";
    std::string ViewerPath;
    std::string StandinViewerPath;  // our stand-in beside an installed editor; empty when none
    std::string CtrlDir;
    std::string SettingsFilePath;
    std::string HandoffFilePath;
    std::string DownloadToolPath;
};

// The viewer to start: the workspace's own, else the stand-in, else the
// workspace's name for it (whose start then fails as it always did).
inline std::string ViewerToStart(const WorkspacePaths& paths)
{
    std::error_code ec;
    if (paths.StandinViewerPath.empty() || std::filesystem::exists(paths.ViewerPath, ec) ||
        !std::filesystem::is_regular_file(paths.StandinViewerPath, ec))
        return paths.ViewerPath;
    return paths.StandinViewerPath;
}

struct AppState {
    int ScreenMode = 0;
    int UiLanguage = 2;  // 0 Japanese captions, 2 English
    WorkspacePaths paths;
    TrackStore track;
    TrackEditState edit;
    EditorState editor;
    RaceSettings race;
    std::string RaceFileName;  // the race file being edited, bare name; empty for a new race
    DownloadToolList tools;
    PictureIndex pictures;
    DistributionPlayList distribution;
    int LongOperations = 0;      // under way and letting events through
    bool CloseWhenDone = false;  // the window was closed meanwhile
};

// Held while an operation lets the event loop run (a distribution build, the
// GPS file conversion): a close asked for meanwhile waits until the last one
// ends, so the window never vanishes while the work goes on unseen.
class LongOperation {
public:
    LongOperation(AppState& state, std::function<void()> close_window)
        : state_(state), close_window_(std::move(close_window))
    {
        ++state_.LongOperations;
    }
    ~LongOperation()
    {
        if (--state_.LongOperations == 0 && state_.CloseWhenDone) {
            state_.CloseWhenDone = false;
            close_window_();
        }
    }
    LongOperation(const LongOperation&) = delete;
    LongOperation& operator=(const LongOperation&) = delete;

private:
    AppState& state_;
    std::function<void()> close_window_;
};

struct PlatformServices {
    DialogService& dialogs;
    ShellService& shell;
    InstalledFonts& fonts;
    TimeZoneInfo& time_zone;
    CursorControl& cursor;
    PendingEvents& events;
    Beeper& beeper;
};

// Implemented by the main window: every screen change goes through it.
class ScreenHost {
public:
    virtual ~ScreenHost() = default;
    virtual void SwitchScreen(int mode) = 0;
    // The track `path` of boat `boat` (1-based) of the race on the compile
    // screen, in the editor, which goes back there; false when it did not open.
    virtual bool EditRaceBoatTrack(const std::string& path, int boat) = 0;
    // That boat of the compile screen's race moved from `old_file` to
    // `new_file` of gpsdat/, its settings kept; false when it no longer uses `old_file`.
    virtual bool UseTrackInRace(int boat, const std::string& old_file, const std::string& new_file) = 0;
};

} // namespace tackedit
