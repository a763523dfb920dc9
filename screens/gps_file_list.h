#pragma once

// The compile screen's GPS file list (ListBox1): each file's whole name, cut
// in the middle when too wide, and the time of its track's first fix, the day
// it was recorded rather than the day it was copied. First fixes are read off
// the window's thread and kept by path, size and modification time, so a
// workspace of hundreds of tracks is read once a run.

#include "base/datetime.h"
#include "screens/background_jobs.h"

#include <QObject>

#include <string>

class QListWidget;

namespace tackedit {

class GpsFileList final : public QObject {
public:
    explicit GpsFileList(QListWidget* list);

    // Lists the files of `folder` ending in "." + extension ("*": all) by
    // name, or newest first fix first (files without a fix last). First fixes
    // not known yet show as "…" until read; the list is then filled again.
    void Fill(const std::string& folder, const std::string& extension, bool by_first_fix, int zone_hours);

    bool Busy() const { return jobs_.Busy(); }

private:
    QListWidget* list_;
    BackgroundJobs jobs_;
    struct Request {
        std::string folder, extension;
        bool by_first_fix = true;
        int zone_hours = 0;
    } last_;
};

} // namespace tackedit
