#include "qt/ByteNames.h"

#include <QByteArray>
#include <QComboBox>
#include <QFile>

namespace {

constexpr int kByteNameRole = Qt::UserRole;

} // namespace

QString FromLocalBytes(const std::string& text)
{
    return QFile::decodeName(QByteArray(text.data(), static_cast<qsizetype>(text.size())));
}

std::string ToLocalBytes(const QString& text)
{
    const QByteArray bytes = QFile::encodeName(text);
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

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
