#include "qt/CQuickLaunchDlg.h"

#include "qt/ByteNames.h"
#include "qt/DialogUnits.h"
#include "source/PathText.h"

#include "game/SettingsFile.h"
#include "game/TestLaunch.h"
#include "qt/QuickLaunchError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

namespace {

// The settings file is read 255 characters at a time, so longer texts would
// come back in pieces.
constexpr int kMaxText = 255;
constexpr int kNoItem = -1;

class Utf8LengthValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return input.toUtf8().size() <= kMaxText ? Acceptable : Invalid;
    }
};

// At most kMaxText bytes, never cutting a UTF-8 character in two.
std::string limitText(std::string bytes)
{
    if (bytes.size() <= static_cast<size_t>(kMaxText))
        return bytes;
    size_t end = kMaxText;
    while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
        --end;
    bytes.resize(end);
    return bytes;
}

// Fills `combo` with `entries` sorted without regard to case, the order the
// main window's lists keep too. Map names are level folder names, kept as
// the file system spells them.
void fillSorted(QComboBox* combo, std::vector<std::string> entries)
{
    combo->clear();
    SortNoCase(entries);
    for (const std::string& entry : entries)
        AddByteName(combo, entry);
}

// Places `widget` with item number `id`, in dialog units, and hands it back.
template <class Widget>
Widget* place(Widget* widget, int id, const DialogUnits& units, int x, int y, int w, int h)
{
    PlaceControl(widget, id, units, x, y, w, h);
    return widget;
}

// An editable drop-down whose height in dialog units includes its open list.
QComboBox* makeCombo(QWidget* parent, int id, const DialogUnits& units, int x, int y, int w, int h)
{
    auto* combo = new QComboBox(parent);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setValidator(new Utf8LengthValidator(combo));
    const int closedHeight = combo->sizeHint().height();
    PlaceControl(combo, id, units, x, y, w, h);
    combo->resize(combo->width(), closedHeight);
    const int rowHeight = QFontMetrics(combo->font()).height();
    combo->setMaxVisibleItems(std::max(1, (units.toPixelsY(h) - closedHeight) / std::max(1, rowHeight)));
    return combo;
}

} // namespace

CQuickLaunchDlg::CQuickLaunchDlg(Launcher& launcher, QWidget* parent)
    : QDialog(parent)
    , m_launcher(launcher)
{
    setWindowTitle(QStringLiteral("Quick Launch Settings"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    const DialogUnits units(font());
    setFixedSize(units.toPixelsX(214), units.toPixelsY(110));

    // Made in tab order.
    auto* ok = place(new QPushButton(QStringLiteral("OK"), this), 1, units, 157, 7, 50, 14);
    ok->setDefault(true);
    auto* cancel = place(new QPushButton(QStringLiteral("Cancel"), this), 2, units, 157, 24, 50, 14);
    place(new QLabel(QStringLiteral("Gameplay Mode:"), this), kNoItem, units, 7, 44, 54, 8);
    m_mapCombo = makeCombo(this, 1023, units, 7, 17, 127, 86);
    place(new QLabel(QStringLiteral("Map:"), this), kNoItem, units, 7, 7, 17, 8);
    m_gpmCombo = makeCombo(this, 1024, units, 7, 55, 95, 48);
    m_useDebugCheck = place(new QCheckBox(QStringLiteral("Use Debug Exe"), this), 1026, units, 141, 93, 66, 10);

    connect(ok, &QPushButton::clicked, this, &CQuickLaunchDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CQuickLaunchDlg::reject);
}

int CQuickLaunchDlg::DoModal()
{
    m_startedAtOnce = false;
    OnInitDialog();
    if (m_startedAtOnce)
        return result();
    return exec();
}

void CQuickLaunchDlg::OnInitDialog()
{
    if (LoadSettings() == SettingsLoad::Complete) {
        CheckDebugExe();
        LaunchGame();
        // The base class's accept: the settings file is not written again.
        QDialog::accept();
        m_startedAtOnce = true;
        return;
    }

    // What a file with fewer entries gave is not shown; only its m_gameExe,
    // which no control shows, takes effect.
    fillSorted(m_gpmCombo, {"GPM_COOP", "GPM_CQ"});
    m_gpmCombo->setCurrentIndex(1);
    fillSorted(m_mapCombo, m_state.m_MapList);
    if (!m_state.m_MapList.empty())
        m_mapCombo->setCurrentIndex(0);

    m_useDebugCheck->setChecked(false);
    CheckDebugExe();
}

SettingsLoad CQuickLaunchDlg::LoadSettings()
{
    // A refused file is named before the dialog shows its first-use choices.
    std::string refusal;
    const SettingsLoad loaded = LoadSettingsFile(m_state, &refusal);
    if (!refusal.empty())
        ShowQuickLaunchError(parentWidget(), QString::fromStdString(refusal));
    return loaded;
}

void CQuickLaunchDlg::SaveSettings()
{
    m_state.m_MapName = limitText(FieldByteName(m_mapCombo));
    m_state.m_gpmString = limitText(FieldByteName(m_gpmCombo));
    m_state.m_UseDebug = m_useDebugCheck->isChecked() ? 1 : 0;
    // Not remembering the choices is harmless: the dialog comes back next
    // time, and the game is started with them all the same.
    ::SaveSettings(m_state);
}

void CQuickLaunchDlg::CheckDebugExe()
{
    m_useDebugCheck->setEnabled(::CheckDebugExe(m_state));
}

void CQuickLaunchDlg::LaunchGame()
{
    ::LaunchGame(m_state, m_launcher,
                 [this](const std::string& text) { ShowQuickLaunchError(messageParent(), QString::fromStdString(text)); });
}

void CQuickLaunchDlg::accept()
{
    SaveSettings();
    LaunchGame();
    QDialog::accept();
}

QWidget* CQuickLaunchDlg::messageParent()
{
    // When the game starts at once the dialog is never shown; a box over a
    // hidden window would float free of the main window.
    return isVisible() ? this : parentWidget();
}
