#pragma once
// Starting the game's executable. The launch logic sees only this interface:
// the window hands it the real one (a detached process), tests a recording
// double.

#include <string>
#include <vector>

struct LaunchResult {
    bool started = false;
    std::string reason; // why the start failed; empty when started
};

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts the program file `program` (a bare file name in
    // `workingDirectory`) with `arguments`, in `workingDirectory`, and does
    // not wait for it.
    virtual LaunchResult Start(const std::string& program, const std::vector<std::string>& arguments,
                               const std::string& workingDirectory) = 0;
};

// The command that starts a program file on this system.
struct StartPlan {
    bool ok = false;
    std::string program;                // what to execute
    std::vector<std::string> arguments; // its arguments
    std::string reason;                 // why it cannot be started, when !ok
};

// Decides how the program file at `path` is started with `arguments`. A file
// that is missing, not a regular file, or not executable cannot be started;
// on Linux, an ".exe" (any case) that is not executable itself is started as
// `winePath` with the file's path in front of the arguments, and cannot be
// started when `winePath` is empty (wine not found).
StartPlan PlanStart(const std::string& path, const std::vector<std::string>& arguments, const std::string& winePath);
