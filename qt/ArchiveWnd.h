#pragma once
// The window that looks into one archive: its entries in a sortable list
// narrowed by a filter, the totals below, and Extract... and Verify. It
// draws and forwards; what it lists and says is app/ArchiveListing.h's and
// app/ArchiveWindowLogic.h's.

#include "app/ArchiveListing.h"
#include "app/ArchiveWindowLogic.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

// The list's model: every question goes to the listing, so only the rows on
// screen are ever turned into text.
class ArchiveModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ArchiveModel(ArchiveListing& listing, QObject* parent = nullptr)
        : QAbstractTableModel(parent), m_listing(listing) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;
    void setFilter(const QString& text);

private:
    ArchiveListing& m_listing;
};

class CArchiveWnd : public QDialog {
    Q_OBJECT

public:
    // Asks for a folder: the caption, the folder to start in; "" when the
    // user gives none. A seam for tests; a folder dialog by default.
    using FolderChooser = std::function<QString(const QString& caption)>;

    explicit CArchiveWnd(QWidget* parent = nullptr);
    // Reads the archive's index. False, after a box saying why, when the
    // file is no readable archive.
    bool Open(const std::string& path);

    FolderChooser m_chooseFolder;
    // Called as the extract's progress dialog shows entry `done` (from 0),
    // while the worker waits: a seam for tests that cancel at a chosen entry.
    std::function<void(size_t done, QDialog* progress)> m_onProgress;
    QLineEdit* m_filter;
    QTableView* m_list;
    QLabel* m_totals;
    QPushButton* m_extract;
    QPushButton* m_verify;
    QPushButton* m_verifyAgainst;

    void OnExtract();
    void OnVerify(bool against);

private:
    void showBox(const WindowBox& shown);
    void updateTotals();

    std::string m_path;
    ArchiveListing m_listing;
    ArchiveModel* m_model;
};
