#include "app/batch.h"

#include "model/dateiformat.h"
#include "model/dump.h"
#include "ui/errortext.h"

#include <QString>

#include <cstdio>

void reportError(const DesignError& error)
{
    const QByteArray text = errorText(error).toUtf8() + '\n';
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
}

int batchDump(const std::string& design)
{
    try {
        const std::unique_ptr<TBlock> root = readDesignFile(design);
        const std::string dump = dumpTree(*root);
        std::fwrite(dump.data(), 1, dump.size(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    } catch (const DesignError& error) {
        reportError(error);
        return 1;
    }
}
