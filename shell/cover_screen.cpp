#include "shell/cover_screen.h"

#include "external/help.h"
#include "platform/qt/named_controls.h"
#include "platform/qt/qt_platform.h"
#include "shell/cover_picture.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace tackedit {

CoverScreen::CoverScreen(QWidget* parent, AppState& state, PlatformServices& services, ScreenHost& host,
                         Actions actions)
    : QFrame(parent), state_(state), services_(services), host_(host), actions_(std::move(actions))
{
    SetUpPanel(this, "pnlCOVER", 323, 433, QColor(192, 192, 192));

    auto* image = AddControl<QLabel>(this, "Image4", QRect(31, 12, 261, 206));
    image->setPixmap(QPixmap::fromImage(MakeCoverPicture()));

    // The buttons sit below the picture, where the download panel covers them.
    const int left = 41, width = 241, height = 26, step = 31, top = 246;
    auto add = [&](const char* name, const char* caption, int row, void (CoverScreen::*handler)()) {
        auto* button = AddControl<QPushButton>(this, name, QRect(left, top + row * step, width, height),
                                               QString::fromUtf8(caption));
        connect(button, &QPushButton::clicked, this, handler);
        return button;
    };
    add("Button1", "GPS track Download ", 0, &CoverScreen::Button1Click);
    add("Button21", "Edit GPS Tracks", 1, &CoverScreen::Button21Click);
    add("Button2", "Compile Race Data", 2, &CoverScreen::Button2Click);
    add("Button3", "Create Distribution Folder", 3, &CoverScreen::Button3Click);
    add("Button4", "Show Racing ( in Edit mode)", 4, &CoverScreen::Button4Click);
    auto* exit = add("Button5", "Exit", 5, &CoverScreen::Button5Click);
    exit->setGeometry(left + 60, top + 5 * step, width - 120, height);
    auto* help = AddControl<QPushButton>(this, "Button14", QRect(left + width - 30, top + 5 * step, 30, height),
                                         QStringLiteral("?"));
    help->setToolTip(QStringLiteral("help"));
    connect(help, &QPushButton::clicked, this, &CoverScreen::Button14Click);

    GpsDownloadPanel::Actions panel_actions = actions_.settings;
    panel_actions.Cancel = [this] { host_.SwitchScreen(1); };
    panel_actions.UiLanguage = [this] { return state_.UiLanguage; };
    download_panel_ = new GpsDownloadPanel(this, state_.tools, services_.dialogs, services_.shell, panel_actions);
    download_panel_->hide();
}

void CoverScreen::Button1Click() { host_.SwitchScreen(2); }

void CoverScreen::Button21Click()
{
    if (actions_.OpenTrackForEditing)
        actions_.OpenTrackForEditing();
}

void CoverScreen::Button2Click() { host_.SwitchScreen(31); }

void CoverScreen::Button3Click() { host_.SwitchScreen(4); }

void CoverScreen::Button4Click() { host_.SwitchScreen(5); }

void CoverScreen::Button14Click() { ShowEditorHelp(state_.paths.AppDir, state_.UiLanguage, services_.shell, services_.dialogs); }

void CoverScreen::Button5Click() { window()->close(); }

} // namespace tackedit
