#pragma once
// What kobpack prints besides results: "kobpack: TEXT" lines on standard
// error, and names made safe to print.

#include <string>

// Writes "kobpack: TEXT" and a line end to standard error.
void PrintError(const std::string& text);

// `name` with every control byte (NUL and line ends included) and every
// backslash written as an escape, so one name stays on one line.
std::string PrintableName(const std::string& name);
