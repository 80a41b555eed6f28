#pragma once

#include "model/designerror.h"

#include <functional>
#include <string>
#include <vector>

// The batch commands: each opens no window, prints a failure's German message on standard error and
// returns the exit status (0 success, 1 failure).
int batchDump(const std::string& design);
int batchExportJava(const std::string& design, const std::string& out);
int batchImportJava(const std::string& source, const std::string& out);
// The design as a compilable Java program; a design with problems is refused with the run's messages.
int batchExportJavaProgram(const std::string& design, const std::string& out);
// PNG and SVG at `scale` (1 for 100 %); PDF is the printed page.
int batchRender(const std::string& design, const std::string& out, bool flowchart, double scale);

// Runs one batch command: a DesignError it throws, or memory running out, prints the German message on
// standard error and gives exit status 1; success gives 0.
int runBatchCommand(const std::function<void()>& command);
// The same for a command that gives its exit status itself.
int runBatchCommandWithStatus(const std::function<int()>& command);
// What --run writes besides the program's output.
struct RunOptions
{
    bool trace = false;     // a line for every step on standard error
    std::string traceTable; // when not empty: the trace table as CSV into this file
    bool counts = false;    // after the run, how often each element ran, on standard error
};
// Runs the design on standard input and output; `maxSteps` (a decimal number) limits the steps when not
// empty. Exits with the program's status, 1 after problems, an exception or the step limit.
int batchRun(const std::string& design, const std::string& maxSteps, const RunOptions& options);

// Prints the message of `error` (code page 1252, with the file name for %s) on standard error, in UTF-8.
void reportError(const DesignError& error);
