#pragma once

#include "screens/app_state.h"

#include <QFrame>

namespace tackedit {

// pnlDistribution: a play list of races built into a distribution folder.
class DistributionScreen final : public QFrame {
    Q_OBJECT
public:
    DistributionScreen(QWidget* parent, AppState& state, PlatformServices& services, ScreenHost& host);
    // On every entry from the cover: an empty play list, the race files listed
    // and the picture quality back at 30.
    void PrepareToShow();
    // ComboBox8: qualities 20, 30 ... 100.
    void FillQualityList();

    void ChooseDistRaceFile();  // ListBox5 click
    void Button13Click();
    void CreateDistribution();  // Button6
    void Button11Click();

private:
    void RefillPlayList();
    void EnablePictureControls();
    // The folder, then the pictures when quality > 0; ends on the cover unless the build fails.
    // replace: the user agreed that an old folder of that name goes to the trash.
    void Build(int quality, bool replace);
    void ShowError(const std::string& text);

    AppState& state_;
    PlatformServices& services_;
    ScreenHost& host_;
};

} // namespace tackedit
