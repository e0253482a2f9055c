#pragma once
// What kobpack prints besides results: "kobpack: TEXT" lines on standard
// error (names in them made printable by PrintableName, source/EntryPath.h).

#include "source/EntryPath.h"

#include <string>

// Writes "kobpack: TEXT" and a line end to standard error.
void PrintError(const std::string& text);
