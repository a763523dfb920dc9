#pragma once

// Which folder the editor works in. Beside the program as long as it may
// write there (a folder unpacked or built by the user); an installed program
// works in the user's ~/tackedit instead.

#include <optional>
#include <string>

namespace tackedit {

struct WorkspaceRequest {
    std::string program_dir;     // the executable's folder
    std::string argument;        // --workspace DIR; empty when not given
    std::string opened_file;     // a file the editor was asked to open; empty when none
    const char* environment = nullptr;  // TACKEDIT_WORKSPACE
    const char* home = nullptr;         // HOME
    std::string demo_dir;        // the installed demo workspace (so an installed program), copied
                                 // into a new workspace; empty beside a program built or unpacked
};

struct WorkspaceChoice {
    std::string folder;   // with a trailing separator
    std::string made;     // the folder when this start made it, else empty
    std::string error;    // why there is no workspace; folder is empty then
};

// --workspace DIR, then the workspace of a race file opened from its
// raceadmin/ or gpsdat/ folder, then TACKEDIT_WORKSPACE, then the program's
// folder when it is writable and not an installed one, then ~/tackedit. A chosen folder that does not exist is made
// with the workspace folders and the demo race, whole or not at all.
WorkspaceChoice ChooseWorkspace(const WorkspaceRequest& request);

// The installed demo workspace for a program in `program_dir`
// (PREFIX/bin → PREFIX/share/tackedit/demo); nullopt when there is none.
std::optional<std::string> InstalledDemo(const std::string& program_dir);

} // namespace tackedit
