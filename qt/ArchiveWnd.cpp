#include "qt/ArchiveWnd.h"

#include "app/ArchiveWindowLogic.h"
#include "app/ControlIds.h"
#include "qt/ByteNames.h"
#include "qt/DialogUnits.h"

#include <QApplication>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <atomic>
#include <thread>

namespace {

// Stands over the archive window while an extract runs on its worker. Each
// line the worker shows (paced by ProgressPacer) waits until drawn, so what
// is on screen is what is in hand; Cancel, Esc and the close box only ask
// the worker to stop, and the worker's last act ends the modal run.
class ExtractProgressDlg : public QDialog {
public:
    explicit ExtractProgressDlg(QWidget* parent)
        : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
        , m_line(new QLabel(this))
        , m_bar(new QProgressBar(this))
        , m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
    {
        setWindowTitle(QString::fromUtf8(kExtractCaption));
        const DialogUnits units(font());
        setFixedSize(units.toPixelsX(265), units.toPixelsY(54));
        PlaceControl(m_line, IDC_PROGRESS_STATUS, units, 7, 7, 251, 8);
        PlaceControl(m_bar, IDC_PROGRESS_BAR, units, 7, 22, 251, 6);
        PlaceControl(m_cancel, IDC_CANCEL_BUTTON, units, 208, 33, 50, 14);
        m_bar->setTextVisible(false);
        m_cancel->setAutoDefault(false);
        connect(m_cancel, &QPushButton::clicked, this, &ExtractProgressDlg::reject);
    }
    void reject() override
    {
        stop.store(1);
        m_cancel->setEnabled(false);
    }
    void accept() override {}
    void show(size_t done, size_t total, const std::string& name)
    {
        m_bar->setRange(0, static_cast<int>(total));
        m_bar->setValue(static_cast<int>(done));
        m_line->setText(FromLocalBytes(ExtractProgressText(done, total, name)));
    }

    std::atomic<int> stop{0};

private:
    QLabel* m_line;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
};

} // namespace

int ArchiveModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_listing.rowCount());
}

int ArchiveModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kArchiveColumnCount;
}

QVariant ArchiveModel::data(const QModelIndex& index, int role) const
{
    const auto column = static_cast<ArchiveColumn>(index.column());
    if (role == Qt::DisplayRole)
        return FromLocalBytes(m_listing.cell(static_cast<size_t>(index.row()), column));
    if (role == Qt::TextAlignmentRole && IsNumberColumn(column))
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ArchiveModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromUtf8(ArchiveColumnTitle(static_cast<ArchiveColumn>(section)));
}

void ArchiveModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= kArchiveColumnCount)
        return;
    emit layoutAboutToBeChanged();
    // The selection follows its entries to their new rows.
    const QModelIndexList before = persistentIndexList();
    std::vector<size_t> entries;
    for (const QModelIndex& index : before)
        entries.push_back(m_listing.entryAt(static_cast<size_t>(index.row())));
    m_listing.sort(static_cast<ArchiveColumn>(column), order == Qt::DescendingOrder);
    std::vector<int> rowOf(m_listing.entryCount(), -1);
    for (size_t row = 0; row < m_listing.rowCount(); ++row)
        rowOf[m_listing.entryAt(row)] = static_cast<int>(row);
    QModelIndexList after;
    for (qsizetype i = 0; i < before.size(); ++i)
        after.push_back(index(rowOf[entries[static_cast<size_t>(i)]], before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged();
}

void ArchiveModel::setFilter(const QString& filter)
{
    beginResetModel();
    m_listing.filter(ToLocalBytes(filter));
    endResetModel();
}

CArchiveWnd::CArchiveWnd(QWidget* parent)
    : QDialog(parent, Qt::Window)
    , m_filter(new QLineEdit(this))
    , m_list(new QTableView(this))
    , m_totals(new QLabel(this))
    , m_extract(new QPushButton(QString::fromUtf8(kExtractButton), this))
    , m_verify(new QPushButton(QString::fromUtf8(kVerifyButton), this))
    , m_verifyAgainst(new QPushButton(QString::fromUtf8(kVerifyAgainstButton), this))
    , m_model(new ArchiveModel(m_listing, this))
{
    m_chooseFolder = [this](const QString& caption) { return QFileDialog::getExistingDirectory(this, caption); };
    const DialogUnits units(font());
    resize(units.toPixelsX(340), units.toPixelsY(260));

    auto* filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(QString::fromUtf8(kFilterLabel), this));
    filterRow->addWidget(m_filter);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_totals, 1);
    for (QPushButton* button : {m_extract, m_verify, m_verifyAgainst}) {
        button->setAutoDefault(false);
        buttons->addWidget(button);
    }
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttons);

    m_list->setModel(m_model);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->verticalHeader()->hide();
    // Fixed row heights: the view never measures the rows it does not show.
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
    m_list->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    m_list->setSortingEnabled(true);

    connect(m_filter, &QLineEdit::textChanged, this, [this](const QString& filter) {
        m_model->setFilter(filter);
        updateTotals();
    });
    connect(m_extract, &QPushButton::clicked, this, &CArchiveWnd::OnExtract);
    connect(m_verify, &QPushButton::clicked, this, [this] { OnVerify(false); });
    connect(m_verifyAgainst, &QPushButton::clicked, this, [this] { OnVerify(true); });
}

bool CArchiveWnd::Open(const std::string& path)
{
    ArchiveListing listing;
    WindowBox failure;
    if (!OpenListing(path, listing, failure)) {
        showBox(failure);
        return false;
    }
    m_path = path;
    setWindowTitle(FromLocalBytes(ArchiveWindowCaption(path)));
    m_model->setFilter({});
    {
        const QSignalBlocker quiet(m_model);
        m_listing = std::move(listing);
    }
    const QHeaderView* header = m_list->horizontalHeader();
    m_model->sort(header->sortIndicatorSection(), header->sortIndicatorOrder());
    m_model->setFilter(m_filter->text());
    updateTotals();
    return true;
}

void CArchiveWnd::updateTotals()
{
    m_totals->setText(FromLocalBytes(m_listing.totalsText()));
}

void CArchiveWnd::showBox(const WindowBox& shown)
{
    QMessageBox box(shown.problem ? QMessageBox::Warning : QMessageBox::Information, FromLocalBytes(shown.caption),
                    FromLocalBytes(shown.text), QMessageBox::Ok, this);
    box.exec();
}

void CArchiveWnd::OnExtract()
{
    std::vector<size_t> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows())
        rows.push_back(static_cast<size_t>(index.row()));
    const std::vector<size_t> chosen = m_listing.entriesOf(rows);
    const QString folder = m_chooseFolder(QString::fromUtf8(kChooseExtractFolder));
    if (folder.isEmpty())
        return;
    const std::string directory = ToLocalBytes(folder);
    ArchiveReader reader;
    std::string error;
    if (!ReopenArchive(m_path, m_listing.entries(), reader, error)) {
        showBox({true, kArchiveErrorCaption, error});
        return;
    }

    ExtractProgressDlg progress(this);
    ExtractOutcome outcome;
    std::thread worker([&] {
        ProgressPacer pacer;
        outcome = ExtractEntries(
            reader, chosen, directory,
            [&](size_t done, const std::string& name) {
                if (!pacer.due())
                    return;
                QMetaObject::invokeMethod(
                    &progress,
                    [&, done] {
                        progress.show(done, chosen.size(), name);
                        if (m_onProgress)
                            m_onProgress(done, &progress);
                    },
                    Qt::BlockingQueuedConnection);
            },
            [&] { return progress.stop.load() != 0; });
        QMetaObject::invokeMethod(&progress, [&] { progress.QDialog::done(QDialog::Accepted); }, Qt::QueuedConnection);
    });
    progress.exec();
    worker.join();
    showBox(ExtractBox(outcome, chosen.size(), directory));
}

void CArchiveWnd::OnVerify(bool against)
{
    std::string folder;
    if (against) {
        folder = ToLocalBytes(m_chooseFolder(QString::fromUtf8(kChooseModFolder)));
        if (folder.empty())
            return;
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const WindowBox box = VerifyBox(m_path, m_listing.entries(), folder);
    QApplication::restoreOverrideCursor();
    showBox(box);
}
