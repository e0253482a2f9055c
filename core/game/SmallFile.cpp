#include "game/SmallFile.h"

#include "platform/Platform.h"

#include <utility>

namespace {

std::function<void(const std::string&)> g_openHook;

std::string tooLarge(size_t limit)
{
    return "larger than " + std::to_string(limit / 1024) + " KiB";
}

} // namespace

void SetSmallFileOpenHook(std::function<void(const std::string& path)> hook)
{
    g_openHook = std::move(hook);
}

SmallFileResult ReadSmallFile(const std::string& path, std::string& content, std::string& reason, size_t limit)
{
    content.clear();
    if (g_openHook)
        g_openHook(path);
    // A pipe or a device in its place is refused without being opened.
    platform::OpenProblem problem;
    platform::File file = platform::File::openRead(path, problem, reason);
    if (!file.isOpen())
        return problem == platform::OpenProblem::Missing ? SmallFileResult::Missing : SmallFileResult::Unusable;
    if (file.info().size > limit) {
        reason = tooLarge(limit);
        return SmallFileResult::Unusable;
    }
    // One byte past the limit is asked for, so a file that grew since its
    // size was taken is noticed.
    content.resize(limit + 1);
    size_t got = 0;
    while (got < content.size()) {
        const int64_t n = file.read(content.data() + got, content.size() - got);
        if (n < 0) {
            reason = file.error();
            content.clear();
            return SmallFileResult::Unusable;
        }
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    if (got > limit) {
        reason = tooLarge(limit);
        content.clear();
        return SmallFileResult::Unusable;
    }
    content.resize(got);
    return SmallFileResult::Read;
}
