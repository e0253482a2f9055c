#pragma once
// The words both windows show, in one place, so the Qt and the Win32 window
// say exactly the same: captions, the status line and the Help box.

inline constexpr const char* kMainWindowCaption = "Kob Mod Quick Pack 1.5";
inline constexpr const char* kQuickLaunchCaption = "Quick Launch Settings";
inline constexpr const char* kErrorCaption = "ERROR!";

// The status line: "Ready" at rest, "Please Wait..." while a batch runs.
inline constexpr const char* kStatusReady = "Ready";
inline constexpr const char* kStatusPleaseWait = "Please Wait...";

// The Help box ("?"): a question box with one OK button. The backslashes
// are literal; the third line keeps its space before the line feed.
inline constexpr const char* kHelpCaption = "Help";
inline constexpr const char* kHelpText =
    "- Place this utility in your mod's archives folder.\n"
    "- Unpacked folders should be at your mod's root.\n"
    "- Directories and levels will be automaticly detected and added to drop down lists. \n"
    "\nExample:\n"
    "   Extracted objects folder should be located \\mods\\YourMod\\Objects\\\n"
    "    This program should be executed from \\mods\\YourMod\\Archives\\\n";
