#include "app/ArchiveListing.h"

#include "source/EntryPath.h"
#include "source/PathText.h"
#include "source/PathText.h"

#include <algorithm>
#include <numeric>

namespace {

bool holdsNoCase(const std::string& text, const std::string& part)
{
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [](char a, char b) { return lowerAscii(a) == lowerAscii(b); })
           != text.end();
}

std::string plural(uint64_t count, const char* one, const char* many)
{
    return GroupedNumber(count) + " " + (count == 1 ? one : many);
}

} // namespace

const char* ArchiveColumnTitle(ArchiveColumn column)
{
    switch (column) {
    case ArchiveColumn::Name: return "Name";
    case ArchiveColumn::Size: return "Size";
    case ArchiveColumn::StoredSize: return "Stored size";
    case ArchiveColumn::StoredAs: return "Stored as";
    }
    return "";
}

bool IsNumberColumn(ArchiveColumn column)
{
    return column == ArchiveColumn::Size || column == ArchiveColumn::StoredSize;
}

std::string GroupedNumber(uint64_t value)
{
    std::string digits = std::to_string(value);
    for (size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, 1, ',');
    return digits;
}

ArchiveListing::ArchiveListing(std::vector<ReaderEntry> entries, bool compressed)
    : m_entries(std::move(entries)), m_compressed(compressed), m_order(m_entries.size())
{
    std::iota(m_order.begin(), m_order.end(), size_t(0));
    m_rows = m_order;
}

std::string ArchiveListing::cell(size_t row, ArchiveColumn column) const
{
    const ReaderEntry& shown = m_entries[m_rows[row]];
    switch (column) {
    case ArchiveColumn::Name: return PrintableName(shown.name);
    case ArchiveColumn::Size: return GroupedNumber(shown.size);
    case ArchiveColumn::StoredSize: return GroupedNumber(shown.storedSize);
    case ArchiveColumn::StoredAs: return m_compressed ? "compressed" : "plain";
    }
    return "";
}

void ArchiveListing::sort(ArchiveColumn column, bool descending)
{
    const auto key = [&](size_t i) -> uint64_t {
        switch (column) {
        case ArchiveColumn::Size: return m_entries[i].size;
        case ArchiveColumn::StoredSize: return m_entries[i].storedSize;
        default: return 0; // names decide
        }
    };
    const auto less = [&](size_t a, size_t b) {
        if (key(a) != key(b))
            return key(a) < key(b);
        const std::string& nameA = m_entries[a].name;
        const std::string& nameB = m_entries[b].name;
        if (listingOrderLess(nameA, nameB))
            return true;
        if (listingOrderLess(nameB, nameA))
            return false;
        return a < b;
    };
    std::sort(m_order.begin(), m_order.end(), less);
    if (descending)
        std::reverse(m_order.begin(), m_order.end());
    applyFilter();
}

void ArchiveListing::filter(const std::string& text)
{
    m_filter = text;
    applyFilter();
}

void ArchiveListing::applyFilter()
{
    if (m_filter.empty()) {
        m_rows = m_order;
        return;
    }
    m_rows.clear();
    for (const size_t i : m_order)
        if (holdsNoCase(m_entries[i].name, m_filter))
            m_rows.push_back(i);
}

std::string ArchiveListing::totalsText() const
{
    uint64_t bytes = 0, stored = 0;
    for (const size_t i : m_rows) {
        bytes += m_entries[i].size;
        stored += m_entries[i].storedSize;
    }
    const std::string all = plural(m_entries.size(), "entry", "entries");
    const std::string count = m_rows.size() == m_entries.size() ? all : GroupedNumber(m_rows.size()) + " of " + all;
    return count + ", " + plural(bytes, "byte", "bytes") + ", stored in " + plural(stored, "byte", "bytes");
}

std::vector<size_t> ArchiveListing::entriesOf(const std::vector<size_t>& rows) const
{
    std::vector<size_t> indices;
    if (rows.empty())
        indices = m_rows;
    else
        for (const size_t row : rows)
            if (row < m_rows.size())
                indices.push_back(m_rows[row]);
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return indices;
}
