#pragma once
// Windows only: narrow text (the ANSI code page, in which the game reads
// names) as UTF-16 and back; `exact` is false when the code page cannot
// spell `wide`.

#include <string>

namespace platform {

std::wstring toWide(const std::string& text);
std::string toNarrow(const std::wstring& wide, bool& exact);

} // namespace platform
