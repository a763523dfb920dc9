#pragma once

#include "screens/gps_download_panel.h"
#include "screens/app_state.h"

#include <QFrame>

#include <functional>

namespace tackedit {

// pnlCOVER: the cover picture and the main buttons; the GPS download panel lies
// over its lower part in screen mode 2.
class CoverScreen final : public QFrame {
    Q_OBJECT
public:
    struct Actions {
        std::function<void()> OpenTrackForEditing;  // Button21, the editor's
        GpsDownloadPanel::Actions settings;         // ReadSettings, WriteSettings
    };

    CoverScreen(QWidget* parent, AppState& state, PlatformServices& services, ScreenHost& host, Actions actions);

    GpsDownloadPanel* DownloadPanel() const { return download_panel_; }

    void Button1Click();
    void Button21Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button14Click();
    void Button5Click();

private:
    AppState& state_;
    PlatformServices& services_;
    ScreenHost& host_;
    Actions actions_;
    GpsDownloadPanel* download_panel_ = nullptr;
};

} // namespace tackedit
