#pragma once
// Which names a file may have where the archive is unpacked or written.

#include <string>

// Why the path component `name` cannot be a file name on Windows: "" when it
// can. Refused: ":", "<>\"|?*", control characters, a trailing dot or space,
// and the device names CON, PRN, AUX, NUL, COM1-9, LPT1-9 with any extension.
std::string windowsNameProblem(const std::string& name);
// windowsNameProblem() where names follow the Windows rules; "" elsewhere,
// where any byte but "/" and NUL can be held.
std::string localNameProblem(const std::string& name);
