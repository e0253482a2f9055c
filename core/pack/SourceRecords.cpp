#include "pack/SourceRecords.h"

SourceRecords::SourceRecords(std::string archivePath, int64_t takenAt)
    : m_archivePath(std::move(archivePath))
    , m_takenAt(takenAt)
{
}

void SourceRecords::add(std::string name, const FileStamp& stamp)
{
    m_entries.insert_or_assign(std::move(name), stamp);
}

bool SourceRecords::unchanged(std::string_view name, const FileStamp& now) const
{
    const auto found = m_entries.find(name);
    const int64_t settled = m_takenAt - kTimeGranularity;
    return found != m_entries.end() && found->second == now && now.telling() && now.modified < settled
           && now.changed < settled;
}

bool SourceRecords::covers(const SourceRecords& newer) const
{
    if (!(m_archive == newer.m_archive) || m_archivePath != newer.m_archivePath
        || m_entries.size() != newer.m_entries.size())
        return false;
    for (const auto& [name, stamp] : newer.m_entries)
        if (!unchanged(name, stamp))
            return false;
    return true;
}
