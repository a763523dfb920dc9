#pragma once

// The browser replay from the windows: built into ctrl/replay/ and opened in
// the desktop's browser.

#include "replay/replay_builder.h"
#include "screens/app_state.h"

namespace tackedit {

// Builds the replay of these races (a busy cursor meanwhile) and opens it; a
// race that does not read, or no browser, is a message. True when it opened.
// `built` receives the page's path once it is built, opened or not.
bool OpenReplay(const ReplayRaces& races, AppState& state, PlatformServices& services,
                std::string* built = nullptr);

// Asks where to save the replay as one HTML file (`suggested` offered) and
// writes it there; a file of the same name goes to the trash only when a
// one-file build wrote it. True when it was saved; every failure is a message.
bool SaveReplayFile(const ReplayRaces& races, const std::string& suggested, AppState& state,
                    PlatformServices& services);

// The replay of the race file chosen on the show-race screen.
bool OpenReplayOfRaceFile(const std::string& race_file, AppState& state, PlatformServices& services);

} // namespace tackedit
