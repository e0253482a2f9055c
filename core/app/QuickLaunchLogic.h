#pragma once
// What the quick launch decides, whichever window shows its dialog: whether
// the game starts at once from a complete settings file or the "Quick Launch
// Settings" dialog is shown, what its controls offer and select first, what
// OK saves and starts, and what the reset button removes. The window draws
// the dialog from a QuickLaunchForm and hands back a QuickLaunchChoice; every
// error reaches it as a text for its "ERROR!" box (kErrorCaption).

#include "game/Game.h"
#include "game/Launcher.h"
#include "game/QuickLaunchState.h"
#include "game/TestLaunch.h"

#include <string>
#include <vector>

// The gameplay modes offered, sorted as the drop-down keeps them, and the
// one selected first ("GPM_CQ").
inline const std::vector<std::string> kGameplayModes = {"GPM_COOP", "GPM_CQ"};
inline constexpr int kDefaultGameplayMode = 1;

// The settings file is read 255 bytes a line, so a longer text would come
// back in pieces: the dialog's fields hold at most this many bytes.
inline constexpr size_t kMaxSavedText = 255;
// Whether a field's text fits, counted in the bytes it is saved as (the
// local encoding, the ANSI code page on Windows): both windows stop typing
// where it no longer does.
inline bool FitsSavedText(const std::string& saved) { return saved.size() <= kMaxSavedText; }
// `text` cut to kMaxSavedText bytes, never in the middle of a UTF-8 character.
std::string LimitSavedText(std::string text);

// What the dialog shows when it is shown.
struct QuickLaunchForm {
    std::vector<std::string> maps;   // the level list, sorted without regard to case
    int mapIndex = -1;               // 0, or -1 (empty field) without maps
    std::vector<std::string> modes;  // kGameplayModes
    int modeIndex = kDefaultGameplayMode;
    bool debugEnabled = false;       // "Use Debug Exe" can be ticked: the debug executable exists
    bool useDebug = false;           // ticked at first
};

// What the user chose in the dialog: the fields' texts as bytes, and the box.
struct QuickLaunchChoice {
    std::string map;
    std::string mode;
    bool useDebug = false;
};

// The state a quick launch starts from: the game's executable name and the
// main window's levels, in its list order, as the file system spells them.
QuickLaunchState QuickLaunchStateFor(Game game, const std::vector<std::string>& levels);

enum class QuickLaunchStart {
    StartedAtOnce, // the settings were complete: the game was started (or its failure reported)
    ShowDialog,    // show the dialog from the form
};

// Loads the settings file (a refused file is reported first). Complete: the
// debug executable is looked for and the game started; the file is not
// written again. Otherwise `form` is filled for the dialog; only the
// executable name of an incomplete file takes effect.
QuickLaunchStart BeginQuickLaunch(QuickLaunchState& state, Launcher& launcher, const ErrorReport& report,
                                  QuickLaunchForm& form);

// OK: the choice (each text limited to kMaxSavedText bytes) goes into
// `state` and the settings file (a file that cannot be written is not
// reported: the dialog simply comes back next time), then the game starts.
LaunchOutcome AcceptQuickLaunch(QuickLaunchState& state, const QuickLaunchChoice& choice, Launcher& launcher,
                                const ErrorReport& report);

// The reset button, before its quick launch: removes the settings file; a
// file that stays is reported, as it would start the game at once again.
void ForgetQuickLaunchSettings(const ErrorReport& report);
