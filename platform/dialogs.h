#pragma once

#include <optional>
#include <string>

namespace tackedit {

enum class MessageAnswer { Ok, Yes, No, Cancel };

// The standard dialogs. Filters use the "Description|*.ext|Description|*.ext"
// form; every text is UTF-8. A cancelled dialog gives nullopt.
class DialogService {
public:
    virtual ~DialogService() = default;
    virtual std::optional<std::string> OpenFile(const std::string& filter, const std::string& initial_folder) = 0;
    // A file to write; the dialog asks before an existing one is replaced.
    virtual std::optional<std::string> SaveFile(const std::string& filter, const std::string& initial_path) = 0;
    virtual std::optional<std::string> BrowseForFolder(const std::string& caption,
                                                       const std::string& initial_folder) = 0;
    virtual std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                                const std::string& default_text) = 0;
    // A box with an OK button; `information` shows the information icon.
    virtual void ShowMessage(const std::string& caption, const std::string& text, bool information = false) = 0;
    virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;
    virtual MessageAnswer AskYesNoCancel(const std::string& caption, const std::string& text) = 0;
};

} // namespace tackedit
