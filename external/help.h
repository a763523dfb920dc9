#pragma once

#include "platform/dialogs.h"
#include "platform/shell_services.h"

#include <string>

namespace tackedit {

// The editor's help page for the interface language (0 Japanese, else English).
std::string EditorHelpPage(const std::string& app_dir, int ui_language);

// Opens it in the desktop's browser (a missing page is the browser's to report);
// says so when no browser is set up.
void ShowEditorHelp(const std::string& app_dir, int ui_language, ShellService& shell, DialogService& dialogs);

} // namespace tackedit
