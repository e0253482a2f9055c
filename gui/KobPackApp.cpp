#include "gui/KobPackApp.h"

#include "gui/DialogUnits.h"
#include "gui/KobPackDlg.h"
#include "pack/MessageSink.h"

#include <memory>

bool CKobPackApp::InitInstance()
{
    InstallDialogFont();
    auto window = std::make_unique<CKobPackDlg>();
    auto sink = std::make_unique<MessageSink>(); // the window shows none of the job's texts
    InstallMessageSink(sink.get());
    window->exec();
    InstallMessageSink(nullptr);
    return false;
}
