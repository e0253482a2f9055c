#include "cli/Console.h"

#include <cstdio>

void PrintError(const std::string& text)
{
    const std::string line = "kobpack: " + text + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
}
