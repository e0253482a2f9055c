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

// `beforeOpen`, when given, is called with the path just before it is
// opened, so a test can swap the file for a named pipe there.
SmallFileResult ReadSmallFile(const std::string& path, std::string& content, std::string& reason,
                              size_t limit = kSmallFileLimit,
                              const std::function<void(const std::string& path)>& beforeOpen = {});
