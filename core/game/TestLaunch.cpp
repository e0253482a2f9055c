#include "game/TestLaunch.h"

#include "game/TextLines.h"
#include "source/DirListing.h"
#include "source/PathNoCase.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

constexpr const char* kModNameError = "Unable to read mod's name from ../init.con\n";
constexpr const char* kCustomGameName = "game.CustomGameName";
// Only the first 19 characters of game.setCustomGameName are compared.
constexpr const char* kSetCustomGameName = "game.SetCustomGameN";
constexpr size_t kKeywordLength = 19;

bool startsNoCase(const std::string& text, const char* word, size_t n)
{
    return text.size() >= n && equalsNoCase(text.substr(0, n), std::string(word, n));
}

bool isRegularFile(const std::string& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// Writes `text` to `path`, creating or truncating it; false with the reason
// when it cannot be opened or written completely.
bool writeWholeFile(const std::string& path, const std::string& text, std::string& reason)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        reason = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int writeErrno = errno;
    if (std::fclose(file) != 0 || !written) {
        reason = std::strerror(written ? errno : writeErrno);
        return false;
    }
    return true;
}

// An absolute spelling of `path` for messages and for the started process.
std::string absolutePath(const std::string& path)
{
    std::error_code ec;
    fs::path full = fs::weakly_canonical(path, ec);
    if (ec)
        full = fs::absolute(path, ec).lexically_normal();
    return full.string();
}

} // namespace

int ReadModName(QuickLaunchState& state, const ErrorReport& report)
{
    state.m_ModName.clear();
    const std::string path = resolveNoCase(kInitFile);
    std::ifstream in(path, std::ios::binary);
    std::error_code ec;
    if (!in || fs::is_directory(path, ec)) {
        if (report)
            report(kModNameError);
        return -2;
    }

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
        if (startsNoCase(line.text, kCustomGameName, kKeywordLength))
            nameStart = 20;
        else if (startsNoCase(line.text, kSetCustomGameName, kKeywordLength))
            nameStart = 23;
        else
            continue;
        state.m_ModName = nameStart < line.text.size() ? line.text.substr(nameStart) : "";
        return 0;
    }
    return -1;
}

std::string DebugExecutable(const std::string& gameExe)
{
    if (equalsNoCase(gameExe, "ostrel"))
        return "ostrel_r.exe";
    if (equalsNoCase(gameExe, "kelVane"))
        return "KelVane_DEBUG.exe";
    return "";
}

int CheckDebugExe(QuickLaunchState& state)
{
    state.m_DebugExeFound = 0;
    const std::string debug = DebugExecutable(state.m_gameExe);
    if (debug.empty())
        return 0;
    const std::string path = resolveNoCase(kGameRoot + debug);
    std::ifstream probe(path, std::ios::binary);
    if (probe && isRegularFile(path))
        state.m_DebugExeFound = 1;
    return state.m_DebugExeFound;
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

std::vector<std::string> LaunchArguments(const std::string& modName)
{
    return {"+restart", "1", "+game", modName, "+hostServer", "1", "+dedicated", "0"};
}

LaunchOutcome LaunchGame(QuickLaunchState& state, Launcher& launcher, const ErrorReport& report)
{
    ReadModName(state, report);

    const std::string root = kGameRoot;
    const std::string mapList = resolveNoCase(root + "mods/" + state.m_gameExe + "/Settings/maplist.con");
    std::string reason;
    if (!writeWholeFile(mapList, MapListText(state), reason)) {
        if (report)
            report("Unable to write the map list " + absolutePath(mapList) + ": " + reason);
        return LaunchOutcome::MapListFailed;
    }

    // resolveNoCase keeps the leading "../../../" as written, so what follows
    // it is the executable's name relative to the game root.
    const std::string exe = resolveNoCase(root + GameExecutable(state)).substr(root.size());
    const std::string workingDirectory = absolutePath(root.substr(0, root.size() - 1));
    const LaunchResult result = launcher.Start(exe, LaunchArguments(state.m_ModName), workingDirectory);
    if (!result.started) {
        if (report)
            report("Unable to start " + (fs::path(workingDirectory) / exe).string() + ": " + result.reason);
        return LaunchOutcome::StartFailed;
    }
    return LaunchOutcome::Started;
}
