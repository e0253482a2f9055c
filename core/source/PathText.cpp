#include "source/PathText.h"

#include "platform/Folders.h"

#include <algorithm>
#include <random>

namespace {

unsigned char fold(char c, bool toUpper)
{
    return static_cast<unsigned char>(toUpper ? upperAscii(c) : lowerAscii(c));
}

size_t lastSeparator(const std::string& path)
{
    return path.find_last_of(platform::windowsNames() ? "/\\" : "/");
}

// Below, at or above 0 as `a` comes before, equals or follows `b` with their
// ASCII letters folded; a string that begins the other comes first.
int compareFolded(const std::string& a, const std::string& b, bool toUpper)
{
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        if (fold(a[i], toUpper) != fold(b[i], toUpper))
            return fold(a[i], toUpper) - fold(b[i], toUpper);
    return (a.size() > b.size()) - (a.size() < b.size());
}

} // namespace

char upperAscii(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string FolderOf(const std::string& path)
{
    const size_t cut = lastSeparator(path);
    return cut == std::string::npos ? "" : path.substr(0, cut == 0 ? 1 : cut);
}

std::string NameOf(const std::string& path)
{
    const size_t cut = lastSeparator(path);
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool equalsNoCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && compareFolded(a, b, true) == 0;
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

std::string folderPrefix(std::string path)
{
    path = forwardSlashes(std::move(path));
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

std::string randomLetters(size_t count)
{
    thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<size_t> pick(0, sizeof kNameLetters - 2);
    std::string letters;
    for (size_t i = 0; i < count; ++i)
        letters += kNameLetters[pick(generator)];
    return letters;
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
    const int order = compareFolded(a, b, true);
    return order != 0 ? order < 0 : a < b;
}

bool nameOrderLess(const std::string& a, const std::string& b)
{
    return compareFolded(a, b, false) < 0;
}

void SortNoCase(std::vector<std::string>& names)
{
    std::stable_sort(names.begin(), names.end(), nameOrderLess);
}
