#pragma once
// Reads the small text files a mod brings along (the quick-launch settings,
// "../init.con"). Such a file may come with a downloaded mod, so it is read
// only when it is a regular file of bounded size: a named pipe, a device or a
// link to one is refused without waiting on it.

#include <cstddef>
#include <functional>
#include <string>

inline constexpr size_t kSmallFileLimit = 64 * 1024;

enum class SmallFileResult {
    Read,     // `content` holds the whole file
    Missing,  // there is no such file
    Unusable, // not a regular file, too large, or not readable; `reason` says which
};

SmallFileResult ReadSmallFile(const std::string& path, std::string& content, std::string& reason,
                              size_t limit = kSmallFileLimit);

// Calls `hook` with the path after the name was found to be a regular file
// and before it is opened, so a test can swap it for a named pipe in that
// gap. An empty function removes it.
void SetSmallFileOpenHook(std::function<void(const std::string& path)> hook);
