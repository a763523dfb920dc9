#pragma once

#include <string>

namespace tackedit {

// The desktop shell: documents, programs, file copies and the trash. Each call
// says whether it succeeded; callers decide whether that matters.
class ShellService {
public:
    virtual ~ShellService() = default;
    // Opens a document or a folder with the desktop's handler for it; false
    // when the desktop has none (no browser or file manager set up).
    virtual bool OpenDocument(const std::string& path) = 0;
    // Starts a program by its full path without waiting for it. Empty when it
    // started; otherwise what to tell the user, naming the program.
    virtual std::string StartProgram(const std::string& program) = 0;
    virtual bool CopyFile(const std::string& from, const std::string& to, bool overwrite) = 0;
    // Copies the files directly inside a folder (no subfolders) into another.
    virtual bool CopyFolderFiles(const std::string& from_folder, const std::string& to_folder) = 0;
    virtual bool MoveFolderToTrash(const std::string& folder) = 0;
};

} // namespace tackedit
