#pragma once
// Records of unchanged files kept in the user's cache, one file per archive
// (named by a hash of the archive's absolute path), never beside the
// archives. The cache is private: its folder is made for the user alone, its
// files readable by the user alone, and a folder that another user owns or
// may write to is not used at all, as a forged record would ship stale files.

#include "pack/SourceRecords.h"

#include <optional>
#include <string>

namespace recordStore {

// A larger record file is not read.
constexpr uint64_t kMaxRecordBytes = uint64_t(64) << 20;

// The absolute, normalised spelling of `archivePath` that records are kept under.
std::string keyOf(const std::string& archivePath);
// The record file of the archive at `key`; "" without a cache folder.
std::string pathOf(const std::string& key);

// The record of the archive at `key`; nothing when there is none fit to use,
// with `problem` set when the cache itself is refused.
std::optional<SourceRecords> load(const std::string& key, std::string& problem);
// Writes `records` over the previous ones, whole or not at all, and removes
// what killed packs left half written; "" or why not.
std::string save(const SourceRecords& records);

} // namespace recordStore
