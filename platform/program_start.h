#pragma once

// How a program is started here: a native executable directly, a Windows
// executable (it begins with "MZ") through wine. Plain C++, so tests can plan
// without starting anything.

#include <string>
#include <vector>

namespace tackedit {

// What a file is as a program, looked at without starting it.
enum class ProgramFile {
    NotAbsolute,           // a relative name means whatever the folder or the PATH holds
    Missing,               // nothing there, not a regular file, or a name with a NUL
    NotProgram,            // neither executable nor a Windows program
    Native,                // executable
    Windows,               // begins with "MZ" and is marked executable
    WindowsNotExecutable,  // begins with "MZ" but is not marked executable
};
ProgramFile ExamineProgramFile(const std::string& path);

struct ProgramLaunch {
    enum class Outcome { Start, NotAbsolute, Missing, NotExecutable, WindowsNotExecutable, NeedsWine };
    Outcome outcome = Outcome::Missing;
    std::string command;                 // the program itself, or wine
    std::vector<std::string> arguments;  // the program, when through wine
};

// path_variable: the PATH to look for wine in. Only a program named by its full
// path is started, and by that path, so no namesake on the PATH stands in for it.
ProgramLaunch PlanProgramLaunch(const std::string& program, const std::string& path_variable);

// What to tell the user when the plan is not Start: names the program and says
// what to do about it.
std::string LaunchProblem(const ProgramLaunch& plan, const std::string& program);

// A detached start leaves the program to the process that adopts orphans,
// which is this one when it is the first process of a container or a child
// subreaper: then it must collect the ended program, or a zombie stays.
enum class ChildState { NotOurs, Ended, Running };
// Collects the program when it is our child and has ended; never waits.
ChildState CollectIfEnded(long long pid);

// The first executable file `name` in the absolute folders of a PATH; empty
// when none. Relative entries (an empty one included) are passed over: they
// would find whatever the current folder holds.
std::string FindOnPath(const std::string& name, const std::string& path_variable);

} // namespace tackedit
