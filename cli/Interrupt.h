#pragma once
// Ctrl-C (SIGINT) and SIGTERM act as the progress dialog's Cancel: they raise
// g_cancelPack, so the pack job finishes the file in hand, deletes its
// archive and the batch stops.

// Installs the handlers for SIGINT and SIGTERM. Every later signal only
// raises the flag again; the process ends by returning from main.
void InstallInterruptHandlers();
// True once SIGINT or SIGTERM has arrived.
bool Interrupted();
