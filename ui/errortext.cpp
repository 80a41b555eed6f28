#include "ui/errortext.h"

#include "ui/cp1252.h"

#include <QFile>

QString errorText(const DesignError& error)
{
    QString text = fromCp1252(error.what());
    text.replace(QStringLiteral("%s"), QFile::decodeName(QByteArray::fromStdString(error.fileName())));
    return text;
}
