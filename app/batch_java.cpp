// --export-java and --import-java: filled in with the export and parser work.
#include "app/batch.h"

int batchExportJava(const std::string&, const std::string&) { return 1; }
int batchImportJava(const std::string&, const std::string&) { return 1; }
