#pragma once
// Ctrl-C, SIGTERM and on Windows closing the console window act as the
// progress dialog's Cancel: they raise g_cancelPack, so the pack job finishes
// the file in hand, deletes its archive and the batch stops.

// Installs the handlers. Every later interrupt only raises the flag again;
// the process ends by returning from main.
void InstallInterruptHandlers();
// True once an interrupt has arrived.
bool Interrupted();
