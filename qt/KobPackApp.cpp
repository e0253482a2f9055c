#include "qt/KobPackApp.h"

#include "qt/DialogUnits.h"
#include "qt/KobPackDlg.h"

#include <memory>

bool CKobPackApp::InitInstance()
{
    InstallDialogFont();
    auto window = std::make_unique<CKobPackDlg>();
    window->exec();
    return false;
}
