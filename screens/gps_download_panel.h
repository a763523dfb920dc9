#pragma once

// The GPS download panel of the cover screen: the tool box and the buttons that
// start, register and remove download tools.

#include "external/settings.h"
#include "platform/dialogs.h"
#include "platform/shell_services.h"

#include <QFrame>

#include <functional>

class QComboBox;
class QLabel;
class QPushButton;

namespace tackedit {

class GpsDownloadPanel : public QFrame {
    Q_OBJECT
public:
    // Reading and writing the settings file also touch the compile screen, so the
    // window supplies them; its ReadSettings ends with FillToolBox().
    struct Actions {
        std::function<void()> ReadSettings;
        std::function<void()> WriteSettings;
        std::function<void()> Cancel;
        std::function<int()> UiLanguage;  // empty: English
    };

    GpsDownloadPanel(QWidget* parent, DownloadToolList& tools, DialogService& dialogs, ShellService& shell,
                     Actions actions);

    // Items newest registration first, the built-in tool last; the text is the
    // selected tool's file name.
    void FillToolBox();

    void Button18Click();  // start the tool the box names
    void Button19Click();  // register a tool
    void Button28Click();  // remove the tools the box names
    void Button20Click();  // back to the cover

private:
    // Label45 shows in full the file the box names, the one Button18 starts.
    void ShowToolPath(const std::string& prefix = "");

    // Runs a settings action; a DataError is shown, not passed on. False when one was.
    bool RunShowingError(const std::function<void()>& action);

    int Language() const;

    DownloadToolList& tools_;
    DialogService& dialogs_;
    ShellService& shell_;
    Actions actions_;

    QLabel* Label44;
    QComboBox* ComboBox7;
    QLabel* Label45;
    QPushButton* Button18;
    QPushButton* Button19;
    QPushButton* Button28;
    QPushButton* Button20;
};

} // namespace tackedit
