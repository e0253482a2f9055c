#include "win32/HelpText.h"

const char* const kHelpText =
    "- Place this utility in your mod's archives folder.\n"
    "- Unpacked folders should be at your mod's root.\n"
    "- Directories and levels will be automaticly detected and added to drop down lists. \n"
    "\nExample:\n"
    "   Extracted objects folder should be located \\mods\\YourMod\\Objects\\\n"
    "    This program should be executed from \\mods\\YourMod\\Archives\\\n";
