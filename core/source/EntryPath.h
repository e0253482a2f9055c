#pragma once
// Whether an archive entry name may become a path below a folder, and how to
// show one. Archives are untrusted input: a name must not lead out of the
// folder it is extracted into or compared against, nor break a line.

#include <string>

// Why `name` cannot be used as a relative path below a folder, or "" when it
// can: an empty name, an absolute one, one with a ".." component, a
// backslash or a NUL byte, or one that names a folder (ends in "/").
std::string UnsafeNameReason(const std::string& name);

// Why writing `directory`/`name` would land outside `directory` through a
// symbolic link, or "" when it would not. Each component that exists is
// examined with lstat; a link must lead to an existing place inside
// `directory`. Precondition: UnsafeNameReason(name) is "" and `directory`
// exists.
std::string LinkEscapeReason(const std::string& directory, const std::string& name);

// `name` with every control byte (NUL and line ends included) and every
// backslash written as an escape, so one name stays on one line.
std::string PrintableName(const std::string& name);
// A path the user or the system gave (a folder, an archive's path, a text
// that names one) as PrintableName shows a name, but with its backslashes
// kept: on Windows they are the path's separators.
std::string PrintablePath(const std::string& path);
