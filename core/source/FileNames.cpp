#include "source/FileNames.h"

#include "platform/Folders.h"
#include "source/PathText.h"

namespace {

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices whatever follows the
// first dot ("nul.txt" too).
bool isDeviceName(const std::string& name)
{
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    for (char& c : stem)
        c = upperAscii(c);
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

std::string localNameProblem(const std::string& name)
{
    return platform::windowsNames() ? windowsNameProblem(name) : "";
}
