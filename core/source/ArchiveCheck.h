#pragma once
// The whole check of an archive: its layout and every block, and, against a
// mod folder, each entry compared byte for byte with the file of its name and
// the files there that the archive lacks.

#include <string>
#include <vector>

class ArchiveReader;

// One text per problem of the archive open in `reader`, each beginning with
// `archive` (the path it was opened by); none for a sound archive. With
// `against` (a mod root) not empty, the entries are also compared with the
// files below it, found ignoring ASCII case, and a file below the archive's
// source folder there without an entry is a problem too.
std::vector<std::string> CheckArchive(const ArchiveReader& reader, const std::string& archive,
                                      const std::string& against);

// The verdict on one archive, shown as `label`: "LABEL: OK, 3 entries"
// (", the same as in DIR" after a comparison with `against`) or "LABEL:
// FAILED, 2 problems".
std::string CheckSummary(const std::string& label, size_t entries, size_t problems, const std::string& against);
