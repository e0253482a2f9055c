#include "game/SmallFile.h"

#include "platform/Platform.h"

namespace {

std::string tooLarge(size_t limit)
{
    return "larger than " + std::to_string(limit / 1024) + " KiB";
}

} // namespace

SmallFileResult ReadSmallFile(const std::string& path, std::string& content, std::string& reason, size_t limit,
                              const std::function<void(const std::string& path)>& beforeOpen)
{
    content.clear();
    if (beforeOpen)
        beforeOpen(path);
    // A pipe or a device in its place is refused without being opened.
    platform::Error error;
    platform::File file = platform::File::openRead(path, error);
    if (!file.isOpen()) {
        reason = error.text;
        return error.problem == platform::OpenProblem::Missing ? SmallFileResult::Missing : SmallFileResult::Unusable;
    }
    if (file.state().size > limit) {
        reason = tooLarge(limit);
        return SmallFileResult::Unusable;
    }
    // One byte past the limit is asked for, so a file that grew since its
    // size was taken is noticed.
    content.resize(limit + 1);
    const int64_t read = file.readFully(content.data(), content.size());
    if (read < 0) {
        reason = file.error().text;
        content.clear();
        return SmallFileResult::Unusable;
    }
    const size_t got = static_cast<size_t>(read);
    if (got > limit) {
        reason = tooLarge(limit);
        content.clear();
        return SmallFileResult::Unusable;
    }
    content.resize(got);
    return SmallFileResult::Read;
}
