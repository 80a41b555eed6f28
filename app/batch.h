#pragma once

#include "model/struktteile.h"

#include <string>
#include <vector>

// The batch commands: each opens no window, prints a failure's German message on standard error and
// returns the exit status (0 success, 1 failure).
int batchDump(const std::string& design);
int batchExportJava(const std::string& design, const std::string& out);
int batchImportJava(const std::string& source, const std::string& out);
int batchRender(const std::string& design, const std::string& out, bool flowchart);
// Runs the design on standard input and output; `maxSteps` (a decimal number) limits the steps when not
// empty. Exits with the program's status, 1 after problems, an exception or the step limit.
int batchRun(const std::string& design, const std::string& maxSteps);

// Prints the message of `error` (code page 1252, with the file name for %s) on standard error, in UTF-8.
void reportError(const DesignError& error);

// Starts the editor; `argc`/`argv` as given to main.
int runEditor(int argc, char** argv);
