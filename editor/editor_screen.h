#pragma once

#include "shell/app_state.h"

#include <QFrame>

namespace tackedit {

// pnlEDIT: the track editor.
class EditorScreen final : public QFrame {
    Q_OBJECT
public:
    EditorScreen(QWidget* parent, AppState& state, PlatformServices& services, ScreenHost& host);

    // Button21 of the cover: choose a track file, load it, show the editor.
    void OpenTrackForEditing();
    // The two value lists of automatic editing, back to 20 s and 12 knots.
    void RefillAutoEditLists();

    void Button22Click();

private:
    AppState& state_;
    PlatformServices& services_;
    ScreenHost& host_;
};

} // namespace tackedit
