#include "source/WholeFile.h"

#include "platform/Platform.h"
#include "source/PathText.h"

#include <cerrno>
#include <cstdio>
#include <utility>

namespace {

// A name that is already long still leaves room for the suffix.
constexpr size_t kNameKept = 200;
constexpr int kSuffixLength = 6;

// Creates a temporary file beside `path`, or returns a closed File with `reason`.
platform::File createTemporary(const std::string& path, std::string& temporary, std::string& reason)
{
    const size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = path.substr(folder.size()).substr(0, kNameKept);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + name + ".tmp-" + randomLetters(kSuffixLength);
        platform::OpenProblem problem;
        platform::File file = platform::File::createHeld(temporary, problem, reason);
        if (file.isOpen() || problem != platform::OpenProblem::Exists)
            return file;
    }
    reason = "no free temporary name beside it";
    return {};
}

// Writes, flushes, syncs and closes `file`; "" or the reason.
std::string writeAndClose(platform::File file, const void* data, size_t size)
{
    if (!file.write(data, size))
        return file.error();
    std::FILE* stream = file.toStream("wb");
    if (!stream)
        return file.error().empty() ? std::string("cannot write") : file.error();
    std::string reason;
    platform::flushAndSync(stream, reason);
    errno = 0;
    if (std::fclose(stream) != 0 && reason.empty())
        reason = platform::errorText(errno ? errno : EIO);
    return reason;
}

} // namespace

std::string WriteWholeFile(const std::string& path, const void* data, size_t size, bool privateFile)
{
    std::string temporary, reason;
    platform::File file = createTemporary(path, temporary, reason);
    if (!file.isOpen())
        return reason;
    if (privateFile && !platform::makePrivate(file))
        reason = file.error().empty() ? std::string("cannot make it private") : file.error();
    else
        reason = writeAndClose(std::move(file), data, size);
    // The rename replaces the name itself: a link standing there is swapped
    // for the new file, and what it led to is left alone.
    if (reason.empty() && platform::renameOver(temporary, path, reason, nullptr) != platform::RenameResult::Done
        && reason.empty())
        reason = "cannot be renamed";
    if (!reason.empty()) {
        std::string ignored;
        platform::removeFile(temporary, ignored);
        return reason;
    }
    return "";
}
