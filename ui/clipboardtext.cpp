#include "ui/clipboardtext.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QString>

#include <memory>

void putTextOnClipboard(const QString& text)
{
    auto data = std::make_unique<QMimeData>();
    const QByteArray bytes = text.toUtf8();
    // Both names share the one array.
    data->setData(QStringLiteral("text/plain"), bytes);
    data->setData(QStringLiteral("text/plain;charset=utf-8"), bytes);
    QApplication::clipboard()->setMimeData(data.release());
}
