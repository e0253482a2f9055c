#include "qt/KobPackDlg.h"

#include "app/BatchReport.h"
#include "app/ControlIds.h"
#include "app/WindowTexts.h"
#include "qt/ByteNames.h"
#include "qt/DialogUnits.h"
#include "qt/PackProgressDlg.h"
#include "qt/QtPackControls.h"
#include "qt/QuickLaunch.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QValidator>

#include <algorithm>

namespace {

// The field of a drop-down does not scroll sideways, so typing stops where
// the field is full. Qt undoes only an edit that makes a fitting text too
// wide, so an entry chosen from the list that is wider than the field can
// still be edited.
class FitsFieldValidator : public QValidator {
public:
    explicit FitsFieldValidator(QLineEdit* field)
        : QValidator(field)
        , m_field(field)
    {
    }

    State validate(QString& input, int&) const override
    {
        const int room = m_field->contentsRect().width() - 4; // the field's inner margins
        return m_field->fontMetrics().horizontalAdvance(input) <= room ? Acceptable : Invalid;
    }

private:
    QLineEdit* m_field;
};

QComboBox* makeList(QWidget* parent)
{
    auto* list = new QComboBox(parent);
    list->setEditable(true);
    list->setInsertPolicy(QComboBox::NoInsert); // the lists hold what discovery found, nothing else
    list->setCompleter(nullptr);                // a typed name stays as typed
    list->setValidator(new FitsFieldValidator(list->lineEdit()));
    return list;
}

QPushButton* makePushButton(const QString& text, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    // No button is the window's default; the window's Enter handling presses
    // the focused one.
    button->setAutoDefault(false);
    return button;
}

void fillList(QComboBox* list, const std::vector<std::string>& names)
{
    for (const std::string& name : names)
        AddByteName(list, name);
}

// The height of the dropped list, given with the field in the template.
void fitDroppedList(QComboBox* list, const DialogUnits& units, int templateHeight)
{
    const int row = std::max(1, list->view()->sizeHintForRow(0) > 0 ? list->view()->sizeHintForRow(0)
                                                                       : list->fontMetrics().height());
    const int room = units.toPixelsY(templateHeight) - list->height();
    list->setMaxVisibleItems(std::max(1, room / row));
}

} // namespace

CKobPackDlg::CKobPackDlg(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint)
    , m_hIcon(QStringLiteral(":/icons/kobpack.png"))
{
    m_hIcon.addFile(QStringLiteral(":/icons/kobpack-16.png"));
    setWindowTitle(QString::fromUtf8(kMainWindowCaption));
    const DialogUnits units(font());
    setFixedSize(units.toPixelsX(361), units.toPixelsY(33));

    // Made in tab order, so the focus chain follows the template.
    m_packLevelButton = new CBitmapButton(QStringLiteral("Pack Level"), this);
    PlaceControl(m_packLevelButton, IDC_PACK_LEVEL, units, 96, 4, 47, 18);
    m_levelList = makeList(this);
    PlaceControl(m_levelList, IDC_LEVEL_LIST, units, 7, 4, 85, 56);
    m_folderList = makeList(this);
    PlaceControl(m_folderList, IDC_FOLDER_LIST, units, 188, 4, 81, 64);
    m_packFolderButton = new CBitmapButton(QStringLiteral("Pack Folder"), this);
    PlaceControl(m_packFolderButton, IDC_PACK_FOLDER, units, 273, 4, 48, 18);
    m_statusCtrl = new QLabel(QStringLiteral("Ready"), this);
    m_statusCtrl->setTextFormat(Qt::PlainText);
    m_statusCtrl->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceControl(m_statusCtrl, IDC_STATUS, units, 145, 23, 59, 8);
    m_allLevelsButton = new CBitmapButton(QStringLiteral("All"), this);
    PlaceControl(m_allLevelsButton, IDC_ALL_LEVELS, units, 147, 4, 26, 12);
    m_allFoldersButton = new CBitmapButton(QStringLiteral("All"), this);
    PlaceControl(m_allFoldersButton, IDC_ALL_FOLDERS, units, 325, 4, 26, 12);
    m_helpButton = makePushButton(QStringLiteral("?"), this);
    PlaceControl(m_helpButton, IDC_HELP_BUTTON, units, 341, 19, 13, 12);
    auto* separator = new QLabel(QStringLiteral("|\n|"), this);
    separator->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceControl(separator, IDC_STATIC, units, 178, 4, 8, 15);
    m_compressBox = new QCheckBox(QStringLiteral("Compress"), this);
    PlaceControl(m_compressBox, IDC_COMPRESS, units, 7, 21, 47, 10);
    m_quickLaunchButton = makePushButton(QStringLiteral("T"), this);
    PlaceControl(m_quickLaunchButton, IDC_QUICK_LAUNCH, units, 326, 19, 13, 12);
    m_resetButton = makePushButton(QString(), this);
    PlaceControl(m_resetButton, IDC_RESET_QUICK_LAUNCH, units, 317, 24, 7, 8);

    QWidget* const tabOrder[] = {m_packLevelButton, m_levelList,   m_folderList,  m_packFolderButton,
                                 m_allLevelsButton, m_allFoldersButton, m_helpButton, m_compressBox,
                                 m_quickLaunchButton, m_resetButton};
    for (size_t i = 1; i < std::size(tabOrder); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    // The template's height of a drop-down includes its dropped list; the
    // field itself is as high as the style draws it.
    for (QComboBox* list : {m_levelList, m_folderList})
        list->resize(list->width(), list->sizeHint().height());

    connect(m_packFolderButton, &QAbstractButton::clicked, this, &CKobPackDlg::OnPackFolder);
    connect(m_packLevelButton, &QAbstractButton::clicked, this, &CKobPackDlg::OnPackLevel);
    connect(m_allLevelsButton, &QAbstractButton::clicked, this, &CKobPackDlg::OnAllLevels);
    connect(m_allFoldersButton, &QAbstractButton::clicked, this, &CKobPackDlg::OnAllFolders);
    connect(m_helpButton, &QAbstractButton::clicked, this, &CKobPackDlg::OnHelpButton);
    connect(m_quickLaunchButton, &QAbstractButton::clicked, this, &CKobPackDlg::QuickLaunch);
    connect(m_resetButton, &QAbstractButton::clicked, this, &CKobPackDlg::ResetQuickLaunch);
}

CKobPackDlg::~CKobPackDlg() = default;

void CKobPackDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_initPending && !event->spontaneous()) {
        m_initPending = false;
        OnInitDialog();
    }
}

bool CKobPackDlg::OnInitDialog()
{
    UpdateData(false);
    setWindowIcon(m_hIcon);

    m_logic.Discover();
    fillList(m_levelList, m_logic.entries(WindowList::Levels));
    fillList(m_folderList, m_logic.entries(WindowList::Folders));
    const DialogUnits units(font());
    fitDroppedList(m_levelList, units, 56);
    fitDroppedList(m_folderList, units, 64);
    m_levelList->setCurrentIndex(InitialSelection(m_logic.entries(WindowList::Levels)));
    m_folderList->setCurrentIndex(InitialSelection(m_logic.entries(WindowList::Folders)));

    m_packLevelButton->LoadBitmaps(QStringLiteral(":/images/pack_level.png"),
                                   QStringLiteral(":/images/pack_level_pressed.png"),
                                   QStringLiteral(":/images/pack_level.png"));
    m_packFolderButton->LoadBitmaps(QStringLiteral(":/images/pack_folder.png"),
                                    QStringLiteral(":/images/pack_folder_pressed.png"),
                                    QStringLiteral(":/images/pack_folder.png"));
    for (CBitmapButton* all : {m_allLevelsButton, m_allFoldersButton})
        all->LoadBitmaps(QStringLiteral(":/images/all.png"), QStringLiteral(":/images/all_pressed.png"),
                         QStringLiteral(":/images/all.png"));

    m_statusCtrl->setText(QString::fromLatin1(kStatusReady));
    m_packLevelButton->setFocus(Qt::OtherFocusReason);
    return true;
}

void CKobPackDlg::UpdateData(bool saveAndValidate)
{
    if (saveAndValidate) {
        m_folderName = FieldByteName(m_folderList);
        m_levelName = FieldByteName(m_levelList);
    } else {
        m_folderList->lineEdit()->setText(FromLocalBytes(m_folderName));
        m_levelList->lineEdit()->setText(FromLocalBytes(m_levelName));
    }
}

QComboBox* CKobPackDlg::list(WindowList which) const
{
    return which == WindowList::Levels ? m_levelList : m_folderList;
}

std::string CKobPackDlg::fieldText(WindowList which) const
{
    return which == WindowList::Levels ? m_levelName : m_folderName;
}

int CKobPackDlg::selectedIndex(WindowList which) const
{
    return list(which)->currentIndex();
}

void CKobPackDlg::select(WindowList which, int index)
{
    list(which)->setCurrentIndex(index);
    if (index < 0)
        list(which)->lineEdit()->clear();
}

bool CKobPackDlg::compressChecked() const
{
    return m_compressBox->isChecked();
}

void CKobPackDlg::setStatus(const char* text)
{
    m_statusCtrl->setText(QString::fromLatin1(text));
}

void CKobPackDlg::runBatch(const std::vector<std::string>& names, bool compress, kob::BatchReport& report)
{
    // Parented to the window only so that it opens centred over it.
    CPackProgressDlg progress(this);
    progress.m_names = names;
    progress.m_compress = compress;
    progress.m_report = &report;
    progress.m_context = m_packContext;
    m_progress = &progress;
    progress.exec();
    m_progress = nullptr;
}

void CKobPackDlg::cancelBatch()
{
    if (m_progress)
        m_progress->reject();
}

void CKobPackDlg::closeWindow()
{
    QDialog::done(QDialog::Rejected);
}

void CKobPackDlg::done(int result)
{
    if (m_logic.RequestClose())
        QDialog::done(result);
}

void CKobPackDlg::showProblems(const char* caption, const std::string& text)
{
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(caption), FromLocalBytes(text), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void CKobPackDlg::OnPackFolder()
{
    UpdateData(true);
    m_logic.Press(PackButton::PackFolder);
}

void CKobPackDlg::OnPackLevel()
{
    UpdateData(true);
    m_logic.Press(PackButton::PackLevel);
}

void CKobPackDlg::OnAllLevels()
{
    m_logic.Press(PackButton::AllLevels);
}

void CKobPackDlg::OnAllFolders()
{
    m_logic.Press(PackButton::AllFolders);
}

std::unique_ptr<QMessageBox> MakeHelpBox(QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(QMessageBox::Question, QString::fromUtf8(kHelpCaption),
                                             QString::fromLatin1(kHelpText), QMessageBox::Ok, parent);
    box->setTextFormat(Qt::PlainText);
    return box;
}

void CKobPackDlg::OnHelpButton()
{
    MakeHelpBox(this)->exec();
}

void CKobPackDlg::QuickLaunch()
{
    ::QuickLaunch(this, m_logic.game(), m_logic.entries(WindowList::Levels));
}

void CKobPackDlg::ResetQuickLaunch()
{
    ::ResetQuickLaunch(this, m_logic.game(), m_logic.entries(WindowList::Levels));
}

void CKobPackDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter presses the plain push button that has the focus; anywhere else
    // it closes the window, like OK.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget()))
            button->click();
        else
            accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
