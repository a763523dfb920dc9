#pragma once

// The Qt implementations of the platform services, for the editor window.

#include "platform/beeper.h"
#include "platform/cursor.h"
#include "platform/dialogs.h"
#include "platform/installed_fonts.h"
#include "platform/pending_events.h"
#include "platform/shell_services.h"
#include "platform/time_zone.h"

class QWidget;
class QString;

namespace tackedit {

QString ToQString(const std::string& text);
std::string FromQString(const QString& text);

// "Text|*.txt|All|*.*" to Qt's "Text (*.txt);;All (*.*)".
QString QtFileFilter(const std::string& filter);

class QtDialogs final : public DialogService {
public:
    explicit QtDialogs(QWidget* parent) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    std::optional<std::string> OpenFile(const std::string& filter, const std::string& initial_folder) override;
    std::optional<std::string> SaveFile(const std::string& filter, const std::string& initial_path) override;
    std::optional<std::string> BrowseForFolder(const std::string& caption, const std::string& initial_folder) override;
    std::optional<std::string> InputBox(const std::string& caption, const std::string& prompt,
                                        const std::string& default_text) override;
    void ShowMessage(const std::string& caption, const std::string& text, bool information) override;
    bool AskYesNo(const std::string& caption, const std::string& text) override;
    MessageAnswer AskYesNoCancel(const std::string& caption, const std::string& text) override;

private:
    QWidget* parent_;
};

class QtShell final : public ShellService {
public:
    // How long the desktop's opener (xdg-open) has to fail; one still running
    // then has started a program that holds the document.
    static constexpr int kOpenerVerdictMs = 3000;

    bool OpenDocument(const std::string& path) override;
    std::string StartProgram(const std::string& program) override;
    bool CopyFile(const std::string& from, const std::string& to, bool overwrite) override;
    bool CopyFolderFiles(const std::string& from_folder, const std::string& to_folder) override;
    bool MoveFolderToTrash(const std::string& folder) override;
};

class QtFonts final : public InstalledFonts {
public:
    std::vector<std::string> FontFamilies() override;
};

class QtTimeZone final : public TimeZoneInfo {
public:
    int StandardBiasMinutes() override;
};

class QtCursor final : public CursorControl {
public:
    void ShowBusyCursor() override;
    void ShowDefaultCursor() override;

private:
    int depth_ = 0;
};

class QtPendingEvents final : public PendingEvents {
public:
    void ProcessPendingEvents() override;
};

class QtBeeper final : public Beeper {
public:
    void Beep() override;
};

} // namespace tackedit
