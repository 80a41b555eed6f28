// --export-java, --export-java-program and --import-java: the "Exportieren", "Als Java-Programm exportieren"
// and paste commands without a window.
#include "app/batch.h"

#include "model/dateiformat.h"
#include "model/javaexport.h"
#include "parser/interpret.h"
#include "runtime/javaprogram.h"
#include "ui/cp1252.h"
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

int batchExportJavaProgram(const std::string& design, const std::string& out)
{
    return runBatchCommandWithStatus([&] {
        const std::unique_ptr<TBlock> root = readDesignFile(design);
        const runtime::CheckResult checked = runtime::Check(*root);
        if (!checked.program) {
            // What the run would say: a design that does not run is no program.
            for (const runtime::Problem& problem : checked.problems) {
                const QByteArray text = fromCp1252(problem.message).toUtf8() + '\n';
                std::fwrite(text.constData(), 1, static_cast<std::size_t>(text.size()), stderr);
            }
            return 1;
        }
        const std::size_t slash = out.rfind('/');
        std::string stem = out.substr(slash == std::string::npos ? 0 : slash + 1);
        if (const std::size_t dot = stem.rfind('.'); dot != std::string::npos && dot > 0)
            stem.resize(dot);
        const std::string className = runtime::javaClassName(stem);
        TSafeFileWriter file(out);
        file += runtime::javaProgram(*root, checked, className, className == stem);
        file.commit();
        return 0;
    });
}
