#include "qt/ByteNames.h"

#include "qt/QtPackControls.h"

#include <QByteArray>
#include <QComboBox>

namespace {

constexpr int kByteNameRole = Qt::UserRole;

} // namespace

void AddByteName(QComboBox* list, const std::string& name)
{
    list->addItem(FromLocalBytes(name), QByteArray(name.data(), static_cast<qsizetype>(name.size())));
}

std::string ByteNameAt(const QComboBox* list, int index)
{
    const QByteArray bytes = list->itemData(index, kByteNameRole).toByteArray();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::string FieldByteName(const QComboBox* list)
{
    const QString text = list->currentText(); // an editable list's field
    const int index = list->currentIndex();
    if (index >= 0 && list->itemText(index) == text)
        return ByteNameAt(list, index);
    return ToLocalBytes(text);
}
