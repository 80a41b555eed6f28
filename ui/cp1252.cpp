#include "ui/cp1252.h"

#include "model/cp1252.h"

QString fromCp1252(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (char c : bytes)
        text.append(QChar(cp1252ToUnicode(static_cast<unsigned char>(c))));
    return text;
}

std::string toCp1252(const QString& text)
{
    return utf16ToCp1252(std::u16string_view(reinterpret_cast<const char16_t*>(text.utf16()),
                                             static_cast<std::size_t>(text.size())));
}
