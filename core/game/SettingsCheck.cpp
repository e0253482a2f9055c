#include "game/SettingsCheck.h"

namespace {

bool isControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

} // namespace

std::string FileNameProblem(const std::string& name)
{
    if (name.empty())
        return "is empty";
    if (name == "." || name == "..")
        return "is \"" + name + "\"";
    if (name.find('/') != std::string::npos)
        return "holds \"/\"";
    if (name.find('\\') != std::string::npos)
        return "holds \"\\\"";
    for (char c : name)
        if (isControl(c))
            return "holds a control character";
    return "";
}

std::string SettingsProblem(const QuickLaunchState& state)
{
    const std::string problem = FileNameProblem(state.m_gameExe);
    if (problem.empty())
        return "";
    // Shown in a message: control characters as "?".
    std::string shown = state.m_gameExe;
    for (char& c : shown)
        if (isControl(c))
            c = '?';
    return "m_gameExe \"" + shown + "\" " + problem;
}
