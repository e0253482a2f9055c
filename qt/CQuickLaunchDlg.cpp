#include "qt/CQuickLaunchDlg.h"

#include "app/ControlIds.h"
#include "app/QuickLaunchLogic.h"
#include "app/WindowTexts.h"
#include "qt/ByteNames.h"
#include "qt/DialogUnits.h"
#include "qt/QuickLaunchError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

namespace {

// Typing stops at the most a saved text may hold.
class SavedTextValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override
    {
        return FitsSavedText(ToLocalBytes(input)) ? Acceptable : Invalid;
    }
};

void fill(QComboBox* combo, const std::vector<std::string>& entries, int index)
{
    combo->clear();
    for (const std::string& entry : entries)
        AddByteName(combo, entry);
    combo->setCurrentIndex(index);
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
    combo->setValidator(new SavedTextValidator(combo));
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
    setWindowTitle(QString::fromUtf8(kQuickLaunchCaption));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    const DialogUnits units(font());
    setFixedSize(units.toPixelsX(214), units.toPixelsY(110));

    // Made in tab order.
    auto* ok = place(new QPushButton(QStringLiteral("OK"), this), IDC_OK_BUTTON, units, 157, 7, 50, 14);
    ok->setDefault(true);
    auto* cancel = place(new QPushButton(QStringLiteral("Cancel"), this), IDC_CANCEL_BUTTON, units, 157, 24, 50, 14);
    place(new QLabel(QStringLiteral("Gameplay Mode:"), this), IDC_STATIC, units, 7, 44, 54, 8);
    m_mapCombo = makeCombo(this, IDC_MAP_COMBO, units, 7, 17, 127, 86);
    place(new QLabel(QStringLiteral("Map:"), this), IDC_STATIC, units, 7, 7, 17, 8);
    m_gpmCombo = makeCombo(this, IDC_GPM_COMBO, units, 7, 55, 95, 48);
    m_useDebugCheck = place(new QCheckBox(QStringLiteral("Use Debug Exe"), this), IDC_USE_DEBUG, units, 141, 93, 66, 10);

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
    const ErrorReport report = [this](const std::string& text) { showError(text); };
    QuickLaunchForm form;
    if (BeginQuickLaunch(m_state, m_launcher, report, form) == QuickLaunchStart::StartedAtOnce) {
        // The base class's accept: the settings file is not written again.
        QDialog::accept();
        m_startedAtOnce = true;
        return;
    }
    fill(m_gpmCombo, form.modes, form.modeIndex);
    fill(m_mapCombo, form.maps, form.mapIndex);
    m_useDebugCheck->setChecked(form.useDebug);
    m_useDebugCheck->setEnabled(form.debugEnabled);
}

void CQuickLaunchDlg::accept()
{
    AcceptQuickLaunch(m_state, {FieldByteName(m_mapCombo), FieldByteName(m_gpmCombo), m_useDebugCheck->isChecked()},
                      m_launcher, [this](const std::string& text) { showError(text); });
    QDialog::accept();
}

void CQuickLaunchDlg::showError(const std::string& text)
{
    // When the game starts at once the dialog is never shown; a box over a
    // hidden window would float free of the main window.
    ShowQuickLaunchError(isVisible() ? this : parentWidget(), text);
}
