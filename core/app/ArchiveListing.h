#pragma once
// What an archive window shows: the rows of the archive's entries in the
// order and under the filter the user chose, the text of each cell and the
// totals below the list. The windows only draw rows they are asked for, so
// an archive of 100,000 entries shows at once.

#include "format/ArchiveReader.h"

#include <cstdint>
#include <string>
#include <vector>

enum class ArchiveColumn { Name, Size, StoredSize, StoredAs };
inline constexpr int kArchiveColumnCount = 4;

// The column's title: "Name", "Size", "Stored size", "Stored as".
const char* ArchiveColumnTitle(ArchiveColumn column);
// True for the columns of numbers, which the windows align to the right.
bool IsNumberColumn(ArchiveColumn column);

// `value` with its digits grouped by commas: 1234567 gives "1,234,567".
std::string GroupedNumber(uint64_t value);

class ArchiveListing {
public:
    ArchiveListing() = default;
    // Rows for `entries` in archive order, unfiltered.
    ArchiveListing(std::vector<ReaderEntry> entries, bool compressed);

    size_t rowCount() const { return m_rows.size(); }
    size_t entryCount() const { return m_entries.size(); }
    // The archive index of the entry shown in `row` (< rowCount()).
    size_t entryAt(size_t row) const { return m_rows[row]; }
    const std::vector<ReaderEntry>& entries() const { return m_entries; }

    // The text of a cell: the name made printable, sizes grouped, "plain"
    // or "compressed" (one compression for the whole archive).
    std::string cell(size_t row, ArchiveColumn column) const;

    // Orders the rows by `column`: names in the listing order (ASCII case
    // folded, as folders are listed and packed), numbers by value; ties in
    // name order, then archive order. `descending` reverses the whole.
    void sort(ArchiveColumn column, bool descending);
    // Shows only the entries whose name holds `text`, ASCII case ignored;
    // "" shows all. The order stays the chosen one.
    void filter(const std::string& text);

    // "3 entries, 12,345 bytes, stored in 6,789 bytes", counting the rows
    // shown; "2 of 3 entries, ..." while a filter hides some.
    std::string totalsText() const;

    // The archive indices of `rows`, or of every row shown when `rows` is
    // empty, in archive order (the order extraction reads best in).
    std::vector<size_t> entriesOf(const std::vector<size_t>& rows) const;

private:
    void applyFilter();

    std::vector<ReaderEntry> m_entries;
    bool m_compressed = false;
    std::vector<size_t> m_order; // every entry, in the chosen order
    std::vector<size_t> m_rows;  // those the filter lets through
    std::string m_filter;
};
