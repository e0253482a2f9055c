#include "source/PathNoCase.h"

#include "platform/Platform.h"
#include "source/DirListing.h"
#include "source/PathText.h"

namespace {

// Links count as they are, even dangling ones: an exact name is never
// traded for another spelling.
bool exists(const std::string& path)
{
    return platform::kindOf(path, false) != platform::Kind::Missing;
}

} // namespace

std::string resolveNoCase(const std::string& path)
{
    const std::vector<std::string> parts = splitPath(path);
    std::string resolved;
    bool matching = true;
    for (size_t i = 0; i < parts.size(); ++i) {
        std::string component = parts[i];
        if (i > 0)
            resolved += '/';
        if (matching && !component.empty() && component != "." && component != ".." && !exists(resolved + component)) {
            matching = false;
            if (auto entries = listDirectory(resolved.empty() ? "." : resolved)) {
                for (const ListingEntry& entry : *entries) {
                    if (equalsNoCase(entry.name, component)) {
                        component = entry.name;
                        matching = true;
                        break;
                    }
                }
            }
        }
        resolved += component;
    }
    return resolved;
}
