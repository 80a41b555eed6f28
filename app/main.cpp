// Start-up: a batch command when the first argument names one, the editor otherwise.
#include "app/batch.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

int usage()
{
    std::fputs("Aufruf:\n"
               "  struktogramm [DATEI.str]\n"
               "  struktogramm --dump DATEI.str\n"
               "  struktogramm --export-java DATEI.str AUSGABE.java\n"
               "  struktogramm --import-java QUELLE.txt AUSGABE.str\n"
               "  struktogramm --render DATEI.str AUSGABE.png|AUSGABE.svg|AUSGABE.pdf [--flowchart]\n"
               "  struktogramm --run DATEI.str [--max-steps N]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0].rfind("--", 0) != 0)
        return runEditor(argc, argv);

    const std::string& command = args[0];
    if (command == "--dump" && args.size() == 2)
        return batchDump(args[1]);
    if (command == "--export-java" && args.size() == 3)
        return batchExportJava(args[1], args[2]);
    if (command == "--import-java" && args.size() == 3)
        return batchImportJava(args[1], args[2]);
    if (command == "--render" && (args.size() == 3 || (args.size() == 4 && args[3] == "--flowchart")))
        return batchRender(args[1], args[2], args.size() == 4);
    if (command == "--run" && (args.size() == 2 || (args.size() == 4 && args[2] == "--max-steps")))
        return batchRun(args[1], args.size() == 4 ? args[3] : "");
    return usage();
}
