#include "platform/Platform.h"

#include <atomic>

namespace platform {

namespace {

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices whatever follows the
// first dot ("nul.txt" too).
bool isDeviceName(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem)
        c = upper(c);
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '1'
           && stem[3] <= '9';
}

} // namespace

std::string windowsNameProblem(const std::string& name)
{
    for (const char c : name) {
        if (static_cast<unsigned char>(c) < 0x20)
            return "the name holds a control character";
        if (std::string(":<>\"|?*").find(c) != std::string::npos)
            return std::string("Windows cannot hold \"") + c + "\" in a name";
    }
    if (!name.empty() && (name.back() == '.' || name.back() == ' ') && name != "." && name != "..")
        return "Windows cannot hold a name that ends in a dot or a space";
    if (isDeviceName(name))
        return "the name is a device name on Windows";
    return "";
}

namespace {
std::atomic<DurabilityTrace> g_durabilityTrace{nullptr};
} // namespace

// A File's lifetime is the same on every system: -1 is no file, and
// close() (each system's own) lets it go.
File::~File()
{
    close();
}

File::File(File&& other) noexcept
    : m_handle(other.m_handle)
{
    other.m_handle = -1;
}

File& File::operator=(File&& other) noexcept
{
    if (this != &other) {
        close();
        m_handle = other.m_handle;
        other.m_handle = -1;
    }
    return *this;
}

void SetDurabilityTrace(DurabilityTrace trace)
{
    g_durabilityTrace.store(trace);
}

void TraceDurability(const char* step, const std::string& path)
{
    if (const DurabilityTrace trace = g_durabilityTrace.load())
        trace(step, path);
}

} // namespace platform
