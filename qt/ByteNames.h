#pragma once
// Every text the core hands the window (names, paths, messages with the
// system's reasons) is bytes in the local encoding, and every text the
// window hands the core goes back the same way: these two are the only
// conversions.
//
// Drop-downs whose entries are names from the file system keep each name as
// its bytes beside the text shown for it, since a name that is not valid in
// the local encoding cannot be shown exactly and would not come back from
// the shown text unchanged.

#include <QString>

#include <string>

class QComboBox;

QString FromLocalBytes(const std::string& text);
std::string ToLocalBytes(const QString& text);

// Adds `name` at the end of `list`, shown as well as the encoding allows.
void AddByteName(QComboBox* list, const std::string& name);
// The bytes of entry `index`.
std::string ByteNameAt(const QComboBox* list, int index);
// The edit field's text: while it still shows the selected entry, that
// entry's bytes; typed text in the local encoding.
std::string FieldByteName(const QComboBox* list);
