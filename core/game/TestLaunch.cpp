#include "game/TestLaunch.h"

#include "game/Game.h"
#include "game/SettingsCheck.h"
#include "game/SmallFile.h"
#include "game/TextLines.h"
#include "platform/Platform.h"
#include "source/PathNoCase.h"
#include "source/PathText.h"
#include "source/WholeFile.h"

#include <sstream>

namespace {

constexpr const char* kModNameError = "Unable to read mod's name from ../init.con\n";
constexpr const char* kCustomGameName = "game.CustomGameName";
// Only the first 19 characters of game.setCustomGameName are compared.
constexpr const char* kSetCustomGameName = "game.SetCustomGameN";
constexpr size_t kKeywordLength = 19;

} // namespace

bool ParseModName(const std::string& text, std::string& modName)
{
    modName.clear();
    std::istringstream in(text);
    TextLineReader reader(in);
    TextLine line;
    while (reader.Next(line)) {
        // The length counts the line end, as the keyword must be followed by
        // at least a separator or a line end.
        if (line.length() <= kKeywordLength)
            continue;
        if (line.text[0] != 'g' && line.text[0] != 'G')
            continue;
        size_t nameStart = 0;
        if (startsWithNoCase(line.text, kCustomGameName))
            nameStart = 20;
        else if (startsWithNoCase(line.text, kSetCustomGameName))
            nameStart = 23;
        else
            continue;
        modName = nameStart < line.text.size() ? line.text.substr(nameStart) : "";
        return true;
    }
    return false;
}

ModNameRead LoadModName(QuickLaunchState& state, const ErrorReport& report)
{
    state.m_ModName.clear();
    std::string text;
    std::string reason;
    if (ReadSmallFile(resolveNoCase(kInitFile), text, reason) != SmallFileResult::Read) {
        if (report)
            report(kModNameError);
        return ModNameRead::Unreadable;
    }
    std::string name;
    if (!ParseModName(text, name))
        return ModNameRead::NotNamed;
    // The game takes the name as its mod's folder below "mods".
    const std::string problem = name.empty() ? "" : FileNameProblem(name);
    if (!problem.empty()) {
        if (report)
            report("Unable to use the mod's name from ../init.con: it " + problem + "\n");
        return ModNameRead::NotNamed;
    }
    state.m_ModName = name;
    return ModNameRead::Found;
}

std::string DebugExecutable(const std::string& gameExe)
{
    const GameInfo* info = FindGameByIdentifier(gameExe);
    return info ? std::string(info->debugExecutable) : "";
}

bool CheckDebugExe(QuickLaunchState& state)
{
    state.m_DebugExeFound = 0;
    const std::string debug = DebugExecutable(state.m_gameExe);
    if (debug.empty())
        return false;
    const std::string path = resolveNoCase(kGameRoot + debug);
    // Only a regular file is opened: a named pipe would block the open.
    platform::Error error;
    state.m_DebugExeFound = platform::File::openRead(path, error).isOpen() ? 1 : 0;
    return state.m_DebugExeFound == 1;
}

std::string GameExecutable(const QuickLaunchState& state)
{
    if (state.m_UseDebug != 0 && state.m_DebugExeFound == 1) {
        const std::string debug = DebugExecutable(state.m_gameExe);
        if (!debug.empty())
            return debug;
    }
    return state.m_gameExe + ".exe";
}

std::string MapListText(const QuickLaunchState& state)
{
    const std::string words = state.m_MapName + " " + state.m_gpmString + " " + state.m_ModName;
    return "game.addLevel " + words + "\r\n" + "game.setCurrentLevel " + words + "\r\n";
}

std::string LaunchParameters(const std::string& modName)
{
    return "+restart 1 +game " + modName + " +hostServer 1 +dedicated 0";
}

LaunchOutcome LaunchGame(QuickLaunchState& state, Launcher& launcher, const ErrorReport& report)
{
    // The game's name becomes a folder below "mods" and the executable's name.
    const std::string problem = SettingsProblem(state);
    if (!problem.empty()) {
        if (report)
            report("Unable to start the game: " + problem);
        return LaunchOutcome::MapListFailed;
    }
    LoadModName(state, report);

    const std::string root = kGameRoot;
    const std::string mapList = resolveNoCase(root + "mods/" + state.m_gameExe + "/Settings/maplist.con");
    const std::string reason = WriteWholeFile(mapList, MapListText(state));
    if (!reason.empty()) {
        if (report)
            report("Unable to write the map list " + platform::resolvedPath(mapList) + ": " + reason);
        return LaunchOutcome::MapListFailed;
    }

    // resolveNoCase keeps the leading "../../../" as written, so what follows
    // it is the executable's name relative to the game root.
    const std::string exe = resolveNoCase(root + GameExecutable(state)).substr(root.size());
    // An absolute spelling, for messages and for the started process.
    const std::string workingDirectory = platform::resolvedPath(root.substr(0, root.size() - 1));
    const LaunchResult result = launcher.Start(exe, LaunchParameters(state.m_ModName), workingDirectory);
    if (!result.started) {
        if (report)
            report("Unable to start " + workingDirectory + (platform::windowsNames() ? "\\" : "/") + exe + ": "
                   + result.reason);
        return LaunchOutcome::StartFailed;
    }
    return LaunchOutcome::Started;
}
