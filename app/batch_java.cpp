// --export-java and --import-java: the "Exportieren" command and the paste command without a window.
#include "app/batch.h"

#include "model/dateiformat.h"
#include "model/javaexport.h"
#include "parser/interpret.h"

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
        // The file's bytes are the code page 1252 text that paste takes from the clipboard, all of it.
        const std::unique_ptr<TBlock> root = ParseText(readWholeFile(source));
        makeDesignRoot(*root);
        writeDesignFile(out, *root);
    });
}
