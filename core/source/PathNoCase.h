#pragma once
// Directory names of a mod are matched without regard to letter case, as on
// the file system the tool was made for.

#include <string>

// Resolves a relative or absolute path component by component: an exact match
// first, else the first entry in listing order whose name matches ignoring
// ASCII case. From the first component that matches nothing on, the rest is
// kept as written. "\" counts as a separator and comes back as "/"; "." and
// ".." are kept as they are.
std::string resolveNoCase(const std::string& path);
