#include "source/PathText.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

unsigned char foldUpper(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - 'a' + 'A') : u;
}

unsigned char foldLower(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

// Compares with both strings' characters passed through `fold`; a string
// that is a prefix of the other comes first. 0 when equal after folding.
template <class Fold>
int compareFolded(const std::string& a, const std::string& b, Fold fold)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = fold(a[i]), y = fold(b[i]);
        if (x != y)
            return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

} // namespace

bool isFolder(const std::string& path)
{
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

bool equalsNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && compareFolded(a, b, foldUpper) == 0;
}

bool startsWithNoCase(const std::string& text, const std::string& start)
{
    return text.size() >= start.size() && equalsNoCase(text.substr(0, start.size()), start);
}

std::string forwardSlashes(std::string path)
{
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::vector<std::string> splitPath(const std::string& path)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t end = path.find_first_of("/\\", start);
        parts.push_back(path.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

bool listingOrderLess(const std::string& a, const std::string& b)
{
    const int order = compareFolded(a, b, foldUpper);
    return order != 0 ? order < 0 : a < b;
}

bool nameOrderLess(const std::string& a, const std::string& b)
{
    return compareFolded(a, b, foldLower) < 0;
}

void SortNoCase(std::vector<std::string>& names)
{
    std::stable_sort(names.begin(), names.end(), nameOrderLess);
}
