#include "source/EntryPath.h"

#include "platform/Platform.h"
#include "source/FileNames.h"
#include "source/PathText.h"

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

bool isSeparator(char c)
{
    return c == '/' || (c == '\\' && platform::windowsNames());
}

// Both resolved: `target` is `base` or lies below it.
bool isInside(const std::string& base, const std::string& target)
{
    if (base.empty() || target.compare(0, base.size(), base) != 0)
        return false;
    return target.size() == base.size() || isSeparator(base.back()) || isSeparator(target[base.size()]);
}

} // namespace

std::string UnsafeNameReason(const std::string& name)
{
    if (name.empty())
        return "the name is empty";
    if (name.find('\0') != std::string::npos)
        return "the name holds a NUL byte";
    if (name.find('\\') != std::string::npos)
        return "the name holds a backslash";
    if (name.front() == '/')
        return "the name is absolute";
    for (const std::string& part : splitPath(name)) {
        if (part == "..")
            return "the name holds a \"..\" component";
        const std::string problem = localNameProblem(part);
        if (!problem.empty())
            return problem;
    }
    if (name.back() == '/')
        return "the name ends in \"/\" and names no file";
    return "";
}

std::string LinkEscapeReason(const std::string& directory, const std::string& name)
{
    platform::Error error;
    const std::optional<std::string> base = platform::canonicalPath(directory, error);
    if (!base)
        return "cannot resolve the folder " + directory + ": " + error.text;
    std::string current = directory;
    for (const std::string& part : splitPath(name)) {
        if (part.empty() || part == ".")
            continue;
        current += "/" + part;
        const platform::FileInfo info = platform::statPath(current, false);
        if (info.error)
            return "cannot examine " + current + ": " + info.error.text;
        if (!info.exists())
            return ""; // from here on everything is made anew
        if (info.kind != platform::Kind::Link)
            continue;
        const std::optional<std::string> target = platform::canonicalPath(current, error);
        if (!target)
            return "it would pass through the symbolic link " + current + ", which leads nowhere";
        if (!isInside(*base, *target))
            return "it would land outside " + directory + " through the symbolic link " + current;
    }
    return "";
}

namespace {

std::string printable(const std::string& name, bool escapeBackslashes)
{
    static const char hex[] = "0123456789abcdef";
    std::string out;
    out.reserve(name.size());
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\\' && escapeBackslashes) {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7f) {
            out += "\\x";
            out += hex[byte >> 4];
            out += hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

std::string PrintableName(const std::string& name)
{
    return printable(name, true);
}

std::string PrintablePath(const std::string& path)
{
    return printable(path, false);
}
