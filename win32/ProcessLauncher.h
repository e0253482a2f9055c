#pragma once
// Starts the game with CreateProcessW: the program file in the working
// folder, its arguments quoted as the C runtime reads them back.

#include "game/Launcher.h"

#include <string>
#include <vector>

class ProcessLauncher : public Launcher {
public:
    LaunchResult Start(const std::string& program, const std::vector<std::string>& arguments,
                       const std::string& workingDirectory) override;
};

// The command line that hands `words` to a program one by one: each word
// quoted when it is empty or holds a blank or a quote, backslashes doubled
// only before a quote.
std::wstring CommandLine(const std::vector<std::wstring>& words);
