#pragma once

// The main window on the compile screen's workspace: its folders, two GPX
// tracks and a wind file, for the compile screen's tests.

#include "window_test.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>

namespace tackedit {

// 30 points, one a minute from 01:00 UTC, around 35°25' N 139°45' E.
inline std::string SampleGpx()
{
    std::string gpx = "<gpx><trk><trkseg>\n";
    for (int i = 0; i < 30; ++i) {
        char line[200];
        std::snprintf(line, sizeof line,
                      "<trkpt lat=\"%.5f\" lon=\"%.5f\"><time>2024-06-15T01:%02d:00Z</time></trkpt>\n",
                      35.3400 + i * 0.002, 139.6700 + i * 0.002, i);
        gpx += line;
    }
    return gpx + "</trkseg></trk></gpx>\n";
}

class CompileScreenTest : public WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        for (const char* folder : {"raceadmin", "winddat", "attachment", "ctrl"})
            std::filesystem::create_directories(ws_ / folder);
        std::ofstream(ws_ / "gpsdat" / "20240615_TEAM1.gpx") << SampleGpx();
        std::ofstream(ws_ / "gpsdat" / "alpha.GPX") << SampleGpx();
        std::ofstream(ws_ / "winddat" / "wind.csv") << "x";
        zone_.bias = -540;
    }

    void NewRaceWithBoats(std::initializer_list<std::pair<const char*, const char*>> boats)
    {
        Start();
        Click("Button2");
        Click("RadioButton10");
        for (const auto& [file, name] : boats) {
            dialogs_.inputs.push_back(std::string(name));
            ClickEntry("ListBox1", QString::fromUtf8(file));
        }
    }
};

} // namespace tackedit
