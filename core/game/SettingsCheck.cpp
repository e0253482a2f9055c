#include "game/SettingsCheck.h"

namespace {

bool isControl(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
}

// The value as it may be shown in a message: control characters as "?".
std::string printable(const std::string& value)
{
    std::string shown = value;
    for (char& c : shown)
        if (isControl(c))
            c = '?';
    return shown;
}

} // namespace

std::string LineTextProblem(const std::string& text)
{
    for (char c : text)
        if (isControl(c))
            return "holds a control character";
    return "";
}

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
    return LineTextProblem(name);
}

std::string SettingsProblem(const QuickLaunchState& state)
{
    const struct {
        const char* key;
        const std::string& value;
        std::string problem;
    } checks[] = {
        {"m_gameExe", state.m_gameExe, FileNameProblem(state.m_gameExe)},
        {"m_MapName", state.m_MapName, LineTextProblem(state.m_MapName)},
        {"m_gpmString", state.m_gpmString, LineTextProblem(state.m_gpmString)},
    };
    for (const auto& check : checks)
        if (!check.problem.empty())
            return std::string(check.key) + " \"" + printable(check.value) + "\" " + check.problem;
    return "";
}
