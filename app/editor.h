#pragma once

#include <optional>
#include <string>

// Starts the editor with the design in `designFile` (a new design without one) and runs it until the main
// window closes; returns the exit status. Without a usable display it prints one German line on standard
// error and returns 1.
int runEditor(const char* programPath, const std::optional<std::string>& designFile);
