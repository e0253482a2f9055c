#pragma once
// Ctrl-C, SIGTERM and on Windows closing the console window act as the
// progress dialog's Cancel: the pack job finishes the file in hand, deletes
// its archive and the batch stops.

#include "pack/CancelToken.h"

// Installs the handlers. Every later interrupt only raises the flag again;
// the process ends by returning from main.
void InstallInterruptHandlers();
// What the pack jobs watch: cancelled once an interrupt has arrived.
kob::CancelToken InterruptToken();
// True once an interrupt has arrived.
bool Interrupted();
