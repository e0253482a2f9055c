#include "source/PathNoCase.h"

#include "source/DirListing.h"

#include <sys/stat.h>

namespace {

bool exists(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

} // namespace

std::string resolveNoCase(const std::string& path)
{
    std::string normalised = path;
    for (char& c : normalised)
        if (c == '\\')
            c = '/';

    std::string resolved;
    size_t pos = 0;
    if (!normalised.empty() && normalised[0] == '/') {
        resolved.push_back('/');
        pos = 1;
    }
    bool matching = true;
    while (pos <= normalised.size()) {
        size_t end = normalised.find('/', pos);
        if (end == std::string::npos)
            end = normalised.size();
        std::string component = normalised.substr(pos, end - pos);
        const bool last = end == normalised.size();

        if (matching && !component.empty() && component != "." && component != "..") {
            const std::string parent = resolved.empty() ? "." : resolved;
            const std::string prefix = resolved.empty() || resolved.back() == '/' ? resolved : resolved + "/";
            if (!exists(prefix + component)) {
                matching = false;
                if (auto entries = listDirectory(parent)) {
                    for (const ListingEntry& entry : *entries) {
                        if (equalsNoCase(entry.name, component)) {
                            component = entry.name;
                            matching = true;
                            break;
                        }
                    }
                }
            }
        }
        resolved += component;
        if (!last)
            resolved += '/';
        pos = end + 1;
    }
    return resolved;
}
