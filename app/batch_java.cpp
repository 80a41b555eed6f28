// --export-java and --import-java: the "Exportieren" command and the paste command without a window.
#include "app/batch.h"

#include "model/dateiformat.h"
#include "model/javaexport.h"
#include "parser/interpret.h"
#include "ui/uitexts.h"

#include <cstdio>

int batchExportJava(const std::string& design, const std::string& out)
{
    return runBatchCommand([&] {
        const std::unique_ptr<TBlock> root = readDesignFile(design);
        TSafeFileWriter file(out);
        exportJava(file, *root, false);
        file.commit();
    });
}

int batchImportJava(const std::string& source, const std::string& out)
{
    return runBatchCommand([&] {
        // The file's bytes go through the paste command's import, all of them.
        const TImportedText imported = importJava(readWholeFile(source));
        makeDesignRoot(*imported.root);
        writeDesignFile(out, *imported.root);
        const QString notice = uitexts::importNotice(imported.commentsLeftOut, imported.charactersReplaced);
        if (!notice.isEmpty()) {
            const QByteArray bytes = notice.toUtf8() + '\n';
            std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
        }
    });
}
