#pragma once

#include "runtime/session.h"

#include <QKeySequence>
#include <QList>

class QAction;
class QDockWidget;
class QMenu;
class TForm2;
class TRunController;

// TRunCommands: the menu "Ausführen" after the design's menus (start, single step, pause, stop, the
// breakpoint of the current element, the speed) and, at the end of the "Ansicht" menu, the items that
// show and hide the docks of a run. The actions belong to the main window like its own.
class TRunCommands
{
public:
    // The speeds offered, in steps per second; 0: as fast as possible.
    static constexpr int kSpeeds[] = {1, 2, 4, 10, 30, 0};

    TRunCommands(TForm2& main, TRunController& controller, const QList<QDockWidget*>& docks);

    // Enables what a run in `state` allows.
    void update(runtime::SessionState state);

    QMenu* menu() const { return m_menu; }

private:
    QAction* addItem(const char* name, const QString& caption, void (TRunController::*command)(),
                     const QKeySequence& shortcut);

    TForm2& m_main;
    TRunController& m_controller;
    QMenu* m_menu = nullptr;
    QAction* m_start = nullptr;
    QAction* m_pause = nullptr;
    QAction* m_stop = nullptr;
};
