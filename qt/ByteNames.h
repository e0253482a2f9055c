#pragma once
// Drop-downs whose entries are names from the file system. A name is kept as
// its bytes beside the text shown for it, since a name that is not valid in
// the local encoding cannot be shown exactly and would not come back from
// the shown text unchanged.

#include <string>

class QComboBox;

// Adds `name` at the end of `list`, shown as well as the encoding allows.
void AddByteName(QComboBox* list, const std::string& name);
// The bytes of entry `index`.
std::string ByteNameAt(const QComboBox* list, int index);
// The edit field's text: while it still shows the selected entry, that
// entry's bytes; typed text in the local encoding.
std::string FieldByteName(const QComboBox* list);
