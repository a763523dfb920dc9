#pragma once

// The race screens of the main window. Their full contents come with race
// compilation; here they carry the controls the shell and the settings use.

#include "screens/app_state.h"

#include <QFrame>

namespace tackedit {

class CompileScreen;

// pnlFileSel: a new race or an existing race file.
class FileSelectionScreen final : public QFrame {
    Q_OBJECT
public:
    FileSelectionScreen(QWidget* parent, AppState& state, ScreenHost& host, CompileScreen& compile);
    // Both choices unchecked and the race file list hidden, as on every entry.
    void PrepareToShow();

    void RadioButton10Click();
    void RadioButton11Click();
    void ListBox4Click();
    void Button12Click();

private:
    AppState& state_;
    ScreenHost& host_;
    CompileScreen& compile_;
};

// pnlSHOWRACE: a race file to show in the viewer.
class ShowRaceScreen final : public QFrame {
    Q_OBJECT
public:
    ShowRaceScreen(QWidget* parent, AppState& state, PlatformServices& services, ScreenHost& host);
    // The race files, newest first.
    void ListRaceFiles();

    void ListBox8Click();
    void Button15Click();

private:
    AppState& state_;
    PlatformServices& services_;
    ScreenHost& host_;
};

// pnlMkSMALL: progress while boats' files are converted to the compact format.
class MakingSmallFilesScreen final : public QFrame {
    Q_OBJECT
public:
    explicit MakingSmallFilesScreen(QWidget* parent);
};

} // namespace tackedit
