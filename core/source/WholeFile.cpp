#include "source/WholeFile.h"

#include "platform/File.h"
#include "source/PathText.h"

namespace {

// A name that is already long still leaves room for the suffix.
constexpr size_t kNameKept = 200;

} // namespace

std::string WriteWholeFile(const std::string& path, const void* data, size_t size, WholeFileOptions options,
                           const DurabilityTrace& trace)
{
    const std::string name = NameOf(path);
    TemporaryFile temporary(trace, options.lasting);
    if (!temporary.create(path.substr(0, path.size() - name.size()) + name.substr(0, kNameKept) + ".tmp-"))
        return temporary.error().problem == platform::OpenProblem::Exists ? "no free temporary name beside it"
                                                                          : temporary.error().text;
    platform::File& file = temporary.file();
    if (options.privateFile && !platform::makePrivate(file))
        return file.error().text.empty() ? std::string("cannot make it private") : file.error().text;
    if (!file.write(data, size))
        return file.error().text;
    if (!temporary.sync())
        return temporary.error().text;
    // The rename replaces the name itself: a link standing there is swapped
    // for the new file, and what it led to is left alone.
    if (temporary.commit(path) != platform::RenameResult::Done)
        return temporary.error().text.empty() ? std::string("cannot be renamed") : temporary.error().text;
    return "";
}
