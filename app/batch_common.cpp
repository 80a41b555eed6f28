#include "app/batch.h"

#include "model/dateiformat.h"
#include "model/dump.h"
#include "ui/errortext.h"

#include <QString>

#include <cstdio>
#include <new>

void reportError(const DesignError& error)
{
    const QByteArray text = errorText(error).toUtf8() + '\n';
    std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
}

int runBatchCommand(const std::function<void()>& command)
{
    return runBatchCommandWithStatus([&command] {
        command();
        return 0;
    });
}

int runBatchCommandWithStatus(const std::function<int()>& command)
{
    try {
        return command();
    } catch (const DesignError& error) {
        reportError(error);
    } catch (const std::bad_alloc&) {
        // What the command held is released by now; should even the message find no memory, the
        // plain text goes out.
        try {
            reportError(DesignError(ErrorReason::OutOfMemory));
        } catch (const std::bad_alloc&) {
            std::fputs("Nicht genug Arbeitsspeicher f\xC3\xBCr diesen Befehl\n", stderr);
        }
    }
    return 1;
}

int batchDump(const std::string& design)
{
    return runBatchCommand([&design] {
        const std::unique_ptr<TBlock> root = readDesignFile(design);
        TStdioSink out(stdout);
        dumpTree(out, *root);
        if (std::fflush(stdout) != 0)
            throw DesignError(ErrorReason::StreamWrite);
    });
}
