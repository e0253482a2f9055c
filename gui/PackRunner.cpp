#include "gui/PackRunner.h"

#include "gui/PackProgressDlg.h"

#include <QLabel>

int PackList(const std::vector<std::string>& names, int compress, QLabel& statusLine)
{
    if (names.empty()) {
        statusLine.setText(QString::fromLatin1(kStatusReady));
        return 0;
    }
    statusLine.setText(QString::fromLatin1(kStatusPleaseWait));
    int result = 0;
    {
        // Parented to the window only so that it opens centred over it.
        CPackProgressDlg dialog(statusLine.window());
        dialog.m_compress = compress;
        dialog.m_names = names;
        dialog.exec();
        result = dialog.m_result;
    }
    statusLine.setText(QString::fromLatin1(kStatusReady));
    return result;
}

int PackOne(const std::optional<std::string>& name, int compress, QLabel& statusLine)
{
    if (!name) {
        statusLine.setText(QString::fromLatin1(kStatusReady));
        return 0;
    }
    return PackList({*name}, compress, statusLine);
}
