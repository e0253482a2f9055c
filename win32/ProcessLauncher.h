#pragma once
// Starts the game with CreateProcessW: the program file in the working
// folder, with the parameter string as it stands after its quoted path,
// once the core's start checks (PlanStart) have passed.

#include "game/Launcher.h"

#include <string>
#include <vector>

class ProcessLauncher : public Launcher {
public:
    LaunchResult Start(const std::string& program, const std::string& parameters,
                       const std::string& workingDirectory) override;
};

// The command line of a start: the program's path in quotes, then the
// parameters as they stand.
std::wstring StartCommandLine(const std::wstring& path, const std::wstring& parameters);
