#include "app/QuickLaunchLogic.h"

#include "game/SettingsFile.h"
#include "source/PathText.h"

std::string LimitSavedText(std::string text)
{
    if (text.size() <= kMaxSavedText)
        return text;
    size_t end = kMaxSavedText;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end; // text[end] continues a character: cut before that character
    text.resize(end);
    return text;
}

QuickLaunchState QuickLaunchStateFor(Game game, const std::vector<std::string>& levels)
{
    QuickLaunchState state;
    state.m_gameExe = GameIdentifier(game);
    state.m_MapList = levels;
    return state;
}

QuickLaunchStart BeginQuickLaunch(QuickLaunchState& state, Launcher& launcher, const ErrorReport& report,
                                  QuickLaunchForm& form)
{
    std::string refusal;
    const SettingsLoad loaded = LoadSettingsFile(state, &refusal);
    if (!refusal.empty())
        report(refusal);
    if (loaded == SettingsLoad::Complete) {
        CheckDebugExe(state);
        LaunchGame(state, launcher, report);
        return QuickLaunchStart::StartedAtOnce;
    }
    form = {};
    form.maps = state.m_MapList;
    SortNoCase(form.maps);
    form.mapIndex = form.maps.empty() ? -1 : 0;
    form.modes = kGameplayModes;
    form.debugEnabled = CheckDebugExe(state);
    return QuickLaunchStart::ShowDialog;
}

LaunchOutcome AcceptQuickLaunch(QuickLaunchState& state, const QuickLaunchChoice& choice, Launcher& launcher,
                                const ErrorReport& report)
{
    state.m_MapName = LimitSavedText(choice.map);
    state.m_gpmString = LimitSavedText(choice.mode);
    state.m_UseDebug = choice.useDebug ? 1 : 0;
    SaveSettings(state);
    return LaunchGame(state, launcher, report);
}

void ForgetQuickLaunchSettings(const ErrorReport& report)
{
    const std::string error = RemoveSettings();
    if (!error.empty())
        report(error);
}
