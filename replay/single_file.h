#pragma once

// The replay as one HTML file: the page, its code and style, the races, their
// pictures and the results page, all inside, so it opens from a phone's files
// app or a mail attachment and asks nothing of any other file or the network.

#include "replay/replay_builder.h"

#include <string>

namespace tackedit {

// The whole page for these races. Pictures (unless options.pictures is off)
// come from their files, reduced a little more than the folder's copies, since
// base64 makes them a third larger; `copies`, where given, names instead a
// reduced copy to take as it is ("" leaves the picture out).
std::string SingleFileReplay(const ReplayRaces& races, const ReplayBuildOptions& options,
                             const ReplayPictureSource& copies = {});

// Writes out_file atomically. Its folder must exist; an existing out_file is an
// error unless options.replace and a one-file build wrote it (it then goes to
// the trash); out_file may not lie in the workspace's data folders nor be an
// input. Errors name the file.
void BuildSingleFileReplay(const ReplayRaces& races, const std::string& out_file, const ReplayBuildOptions& options);

} // namespace tackedit
