#include "qt/KobPackApp.h"

#include "qt/DialogUnits.h"
#include "qt/KobPackDlg.h"
#include "pack/MessageSink.h"

#include <memory>

bool CKobPackApp::InitInstance()
{
    InstallDialogFont();
    auto window = std::make_unique<CKobPackDlg>();
    // A batch's problems come back in its report (app/MainWindowLogic.h); the sink only
    // catches what is said outside a batch, which the window does not show.
    auto sink = std::make_unique<MessageSink>();
    InstallMessageSink(sink.get());
    window->exec();
    InstallMessageSink(nullptr);
    return false;
}
