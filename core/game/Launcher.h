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
    // `workingDirectory`) with the parameter string `parameters`, in
    // `workingDirectory`, and does not wait for it. The string reaches the
    // program as it stands: on Windows it follows the program's quoted path
    // in the command line; elsewhere it is cut into words as a Windows
    // program's runtime would (SplitParameters).
    virtual LaunchResult Start(const std::string& program, const std::string& parameters,
                               const std::string& workingDirectory) = 0;
};

// The command that starts a program file on this system.
struct StartPlan {
    bool ok = false;
    std::string program;                // what to execute
    std::vector<std::string> arguments; // its arguments
    std::string reason;                 // why it cannot be started, when !ok
};

// The words a Windows program's runtime reads from the command-line text
// `parameters`: blanks and tabs separate words outside quotes, a quote starts
// or ends a quoted part, 2n backslashes before a quote give n and a quoted
// part's end, 2n+1 give n and a literal quote, "" inside a quoted part gives
// a quote. Runs of blanks give no empty words.
std::vector<std::string> SplitParameters(const std::string& parameters);

// Decides how the program file at `path` is started with the words of
// `parameters` (SplitParameters). A file that is missing, not a regular file,
// or not executable cannot be started; on Linux, an ".exe" (any case) that is
// not executable itself is started as `winePath` with the file's path in
// front of the words, and cannot be started when `winePath` is empty (wine
// not found). Wine joins the words into the program's command line again,
// quoting those with blanks: the game then reads the same words, with single
// blanks between them.
StartPlan PlanStart(const std::string& path, const std::string& parameters, const std::string& winePath);
