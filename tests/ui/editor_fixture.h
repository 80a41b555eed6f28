#pragma once

// The editor as a user meets it: the main window shown with its whole-design window, scripted dialogs,
// a temporary folder for files, and a teardown that checks that no window is left over.

#include "tests/support/designs.h"
#include "tests/ui/scripted_dialogs.h"

#include "model/dateiformat.h"
#include "model/dump.h"
#include "ui/hauptfenster.h"
#include "ui/struktogrammfenster.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

class EditorTest : public ::testing::Test
{
protected:
    void TearDown() override;

    // Closes the editor started last, without any question.
    void finish();
    // Starts the editor (with a design file to open, when given) and shows the main window.
    TForm2& start(const std::optional<std::string>& designFile = std::nullopt);
    // Writes `design` as a design file in the temporary folder and returns its path.
    std::string writeDesign(const std::string& name, const TBlock& design);
    std::string path(const std::string& name) const;

    // The main window's own action (menu item or tool-bar button) of that name.
    QAction* action(const char* name) const;
    void trigger(const char* name) const;
    // Clicks the tool-bar button of that name with the mouse.
    void clickToolButton(const char* name) const;
    TForm1& whole() const { return *form->wholeDesignWindow(); }
    std::string dump() const { return dumpTree(*form->Design()); }
    // Processes pending events, deferred deletions included.
    static void settle();

    ScriptedDialogs dialogs;
    TForm2* form = nullptr;
    QTemporaryDir dir;
};
