#pragma once
// The real launcher: starts the game as a detached process, through wine
// when it is a Windows executable on Linux.

#include "game/Launcher.h"

class ProcessLauncher : public Launcher {
public:
    LaunchResult Start(const std::string& program, const std::string& parameters,
                       const std::string& workingDirectory) override;
};
