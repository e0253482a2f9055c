// Fuzz target: arbitrary bytes read as a quick-launch settings file and as
// "../init.con", then checked as the launch checks them. Any crash,
// sanitizer report, or a value that spans a line is a finding.

#include "game/SettingsCheck.h"
#include "game/SettingsFile.h"
#include "game/TestLaunch.h"
#include "game/TextLines.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

// Every value comes from one read of one line.
void checkValue(const std::string& value)
{
    if (value.size() > kMaxLineRead || value.find('\n') != std::string::npos)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);

    QuickLaunchState state;
    state.m_gameExe = "ostrel";
    if (ParseSettings(text, state) < 0)
        std::abort();
    for (const std::string* value : {&state.m_MapName, &state.m_gpmString, &state.m_gameExe})
        checkValue(*value);
    if (SettingsProblem(state).empty() && !FileNameProblem(state.m_gameExe).empty())
        std::abort(); // a refused game name passed the settings check

    std::string modName;
    if (ParseModName(text, modName))
        checkValue(modName);
    FileNameProblem(modName);
    return 0;
}
