#pragma once

// How a program is started here: a native executable directly, a Windows
// executable (it begins with "MZ") through wine. Plain C++, so tests can plan
// without starting anything.

#include <string>
#include <vector>

namespace tackedit {

struct ProgramLaunch {
    enum class Outcome { Start, Missing, NotExecutable, NeedsWine };
    Outcome outcome = Outcome::Missing;
    std::string command;                 // the program itself, or wine
    std::vector<std::string> arguments;  // the program, when through wine
};

// path_variable: the PATH to look for wine in.
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

// The first executable file `name` in the folders of a PATH; empty when none.
std::string FindOnPath(const std::string& name, const std::string& path_variable);

} // namespace tackedit
