#include "cli/trash_module.h"

#include <cstdio>
#include <dlfcn.h>
#include <filesystem>
#include <system_error>

namespace tackedit::cli {

namespace {

using MoveFunction = bool (*)(const char*);

MoveFunction LoadTrashModule()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return nullptr;
    const std::string module = (exe.parent_path() / TACKEDIT_TRASH_MODULE).string();
    void* handle = ::dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        std::fprintf(stderr, "tackedit-cli: cannot load the trash module: %s\n", ::dlerror());
        return nullptr;
    }
    return reinterpret_cast<MoveFunction>(::dlsym(handle, "tackedit_move_to_trash"));
}

} // namespace

bool MoveToTrashThroughModule(const std::string& path)
{
    static const MoveFunction move = LoadTrashModule();
    return move && move(path.c_str());
}

} // namespace tackedit::cli
