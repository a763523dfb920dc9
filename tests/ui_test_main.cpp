// Widget tests run the real window offscreen; one application object for all.

#include "screens/race_map.h"
#include "shell/application.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    tackedit::TackeditApplication app(argc, argv);
    // No GMT behind the compile screen's map: a test that wants land gives its own.
    tackedit::RaceMapView::SetLandReader({});
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
