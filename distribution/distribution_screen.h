#pragma once

#include "shell/app_state.h"

#include <QFrame>

namespace tackedit {

// pnlDistribution: a play list of races built into a distribution folder.
class DistributionScreen final : public QFrame {
    Q_OBJECT
public:
    DistributionScreen(QWidget* parent, ScreenHost& host);
    // The chosen list is emptied and the picture quality back at 30 on every entry.
    void PrepareToShow();
    // ComboBox8: qualities 20, 30 ... 100.
    void FillQualityList();

    void Button11Click();

private:
    ScreenHost& host_;
};

} // namespace tackedit
