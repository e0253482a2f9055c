#pragma once
// Start-up of the window tool: the main window runs modally in the current
// directory, which must be the mod's Archives folder, and the tool ends when
// it closes. Needs a QApplication.

class CKobPackApp {
public:
    // Makes the dialog font the application's and runs the main window
    // modally. Returns false: there is nothing left to run once the window
    // has closed.
    virtual bool InitInstance();
    virtual ~CKobPackApp() = default;
};
