#pragma once
// The operating-system calls of the core and the command line, by concern:
// files, folders, the process. No file outside core/platform/ includes a
// system header or asks the system any other way.

#include "platform/File.h"
#include "platform/Folders.h"
#include "platform/Process.h"
