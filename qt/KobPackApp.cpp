#include "qt/KobPackApp.h"

#include "qt/DialogUnits.h"
#include "qt/KobPackDlg.h"

bool CKobPackApp::InitInstance()
{
    InstallDialogFont();
    CKobPackDlg window;
    window.exec();
    return false;
}
