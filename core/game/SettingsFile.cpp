#include "game/SettingsFile.h"

#include "game/SettingsCheck.h"
#include "game/SmallFile.h"
#include "game/TextLines.h"
#include "platform/File.h"
#include "source/PathNoCase.h"
#include "source/PathText.h"
#include "source/WholeFile.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

// The value's leading decimal number, 0 when there is none ("1abc" is 1).
// Out-of-range numbers are clamped rather than left undefined.
int leadingNumber(const std::string& text)
{
    const long value = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

} // namespace

int ParseSettings(const std::string& text, QuickLaunchState& state)
{
    std::istringstream in(text);
    int count = 0;
    TextLineReader reader(in);
    TextLine key;
    TextLine value;
    while (reader.Next(key)) {
        // Blank lines separate the entries.
        if (key.text.empty())
            continue;
        if (!reader.Next(value))
            break;
        if (value.text.empty())
            continue;
        if (equalsNoCase(key.text, "m_MapName"))
            state.m_MapName = value.text;
        else if (equalsNoCase(key.text, "m_gpmString"))
            state.m_gpmString = value.text;
        else if (equalsNoCase(key.text, "m_gameExe"))
            state.m_gameExe = value.text;
        else if (equalsNoCase(key.text, "m_UseDebug"))
            state.m_UseDebug = leadingNumber(value.text);
        else
            continue;
        ++count;
    }
    return count;
}

namespace {

// The number of entries recognised, or -1 when there is no usable file.
int loadEntries(QuickLaunchState& state, std::string* refusal)
{
    const std::string path = resolveNoCase(kSettingsFileName);
    std::string text;
    std::string reason;
    const SmallFileResult read = ReadSmallFile(path, text, reason);
    if (read == SmallFileResult::Read) {
        // Parsed into a copy: a refused file leaves every value as it was.
        QuickLaunchState loaded = state;
        const int count = ParseSettings(text, loaded);
        reason = SettingsProblem(loaded);
        if (reason.empty()) {
            state = std::move(loaded);
            return count;
        }
    }
    if (read != SmallFileResult::Missing && refusal)
        *refusal = "Ignored the settings in " + path + ": " + reason;
    return -1;
}

} // namespace

SettingsLoad LoadSettingsFile(QuickLaunchState& state, std::string* refusal)
{
    const int entries = loadEntries(state, refusal);
    if (entries < 0)
        return SettingsLoad::Absent;
    return entries >= kCompleteSettings ? SettingsLoad::Complete : SettingsLoad::Incomplete;
}

bool SaveSettings(const QuickLaunchState& state)
{
    const auto entry = [](const char* key, const std::string& value) {
        return std::string(key) + "\r\n" + value + "\r\n\r\n";
    };
    const std::string text = entry("m_MapName", state.m_MapName) + entry("m_gpmString", state.m_gpmString)
        + entry("m_gameExe", state.m_gameExe) + entry("m_UseDebug", state.m_UseDebug ? "1" : "0");

    // A named pipe or a link standing under the name (it may have come with
    // a mod) is replaced, never written through.
    return WriteWholeFile(resolveNoCase(kSettingsFileName), text).empty();
}

std::string RemoveSettings()
{
    const std::string path = resolveNoCase(kSettingsFileName);
    platform::Error error;
    if (platform::removeFile(path, error) || error.problem == platform::OpenProblem::Missing)
        return "";
    return "Unable to delete " + path + ": " + error.text;
}
