#include "external/help.h"

#include "base/messages.h"

namespace tackedit {

std::string EditorHelpPage(const std::string& app_dir, int ui_language)
{
    return app_dir + "HELP_EDITOR/" + (ui_language == 0 ? "index_editor.html" : "index_editor_e.html");
}

void ShowEditorHelp(const std::string& app_dir, int ui_language, ShellService& shell, DialogService& dialogs)
{
    const std::string page = EditorHelpPage(app_dir, ui_language);
    if (!shell.OpenDocument(page))
        dialogs.ShowMessage("tackvue", Say(texts::kNoBrowser, ui_language, {page}));
}

} // namespace tackedit
