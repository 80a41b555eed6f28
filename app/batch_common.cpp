#include "app/batch.h"

#include "model/dateiformat.h"
#include "model/dump.h"
#include "ui/cp1252.h"

#include <QString>

#include <cstdio>

void reportError(const DesignError& error)
{
    QString message = fromCp1252(error.what());
    message.replace(QStringLiteral("%s"), QString::fromLocal8Bit(error.fileName().c_str()));
    const QByteArray text = message.toUtf8() + '\n';
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
}

int batchDump(const std::string& design)
{
    try {
        const std::unique_ptr<TBlock> root = ReadDesignFile(design);
        const std::string dump = DumpTree(*root);
        std::fwrite(dump.data(), 1, dump.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const DesignError& error) {
        reportError(error);
        return 1;
    }
}
