#include "platform/program_start.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tackedit {

namespace {

bool IsExecutableFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

bool StartsWithMz(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char head[2] = {};
    const bool mz = ::read(fd, head, 2) == 2 && head[0] == 'M' && head[1] == 'Z';
    ::close(fd);
    return mz;
}

} // namespace

std::string FindOnPath(const std::string& name, const std::string& path_variable)
{
    std::size_t from = 0;
    while (from <= path_variable.size()) {
        std::size_t to = path_variable.find(':', from);
        if (to == std::string::npos)
            to = path_variable.size();
        const std::string folder = path_variable.substr(from, to - from);
        if (!folder.empty() && folder[0] == '/') {
            const std::string candidate = folder + "/" + name;
            if (IsExecutableFile(candidate))
                return candidate;
        }
        from = to + 1;
    }
    return {};
}

ProgramFile ExamineProgramFile(const std::string& path)
{
    // c_str() would cut the name at a NUL and look at another file.
    if (path.find('\0') != std::string::npos)
        return ProgramFile::Missing;
    if (path.empty() || path[0] != '/')
        return ProgramFile::NotAbsolute;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return ProgramFile::Missing;
    const bool executable = ::access(path.c_str(), X_OK) == 0;
    if (StartsWithMz(path))
        return executable ? ProgramFile::Windows : ProgramFile::WindowsNotExecutable;
    return executable ? ProgramFile::Native : ProgramFile::NotProgram;
}

ChildState CollectIfEnded(long long pid)
{
    if (pid <= 0)
        return ChildState::NotOurs;
    int status = 0;
    pid_t result;
    do
        result = ::waitpid(static_cast<pid_t>(pid), &status, WNOHANG);
    while (result < 0 && errno == EINTR);
    if (result == 0)
        return ChildState::Running;
    return result < 0 ? ChildState::NotOurs : ChildState::Ended;
}

ProgramLaunch PlanProgramLaunch(const std::string& program, const std::string& path_variable)
{
    ProgramLaunch plan;
    switch (ExamineProgramFile(program)) {
    case ProgramFile::NotAbsolute: plan.outcome = ProgramLaunch::Outcome::NotAbsolute; return plan;
    case ProgramFile::Missing: plan.outcome = ProgramLaunch::Outcome::Missing; return plan;
    case ProgramFile::NotProgram: plan.outcome = ProgramLaunch::Outcome::NotExecutable; return plan;
    case ProgramFile::WindowsNotExecutable:
        plan.outcome = ProgramLaunch::Outcome::WindowsNotExecutable;
        return plan;
    case ProgramFile::Windows:
        plan.command = FindOnPath("wine", path_variable);
        if (plan.command.empty()) {
            plan.outcome = ProgramLaunch::Outcome::NeedsWine;
            return plan;
        }
        plan.arguments = {program};
        plan.outcome = ProgramLaunch::Outcome::Start;
        return plan;
    case ProgramFile::Native:
        plan.command = program;
        plan.outcome = ProgramLaunch::Outcome::Start;
        return plan;
    }
    return plan;
}

std::string LaunchProblem(const ProgramLaunch& plan, const std::string& program)
{
    switch (plan.outcome) {
    case ProgramLaunch::Outcome::Start: return {};
    case ProgramLaunch::Outcome::NotAbsolute:
        return "Cannot start " + program +
               ": the program is not named by its full path. Choose (register) it again.";
    case ProgramLaunch::Outcome::Missing:
        return "Cannot start " + program +
               ": there is no such program. Put the program there, or choose (register) it again.";
    case ProgramLaunch::Outcome::NotExecutable:
        return "Cannot start " + program +
               ": the file is not an executable program. Mark it executable (chmod +x) or choose the "
               "program itself.";
    case ProgramLaunch::Outcome::WindowsNotExecutable:
        return "Cannot start " + program +
               ": the Windows program is not marked executable. If you trust it, mark it executable "
               "(chmod +x) and try again.";
    case ProgramLaunch::Outcome::NeedsWine:
        return program +
               " is a Windows program, and wine is needed to start it on this computer. Install wine "
               "(sudo apt-get install wine) and try again.";
    }
    return {};
}

} // namespace tackedit
