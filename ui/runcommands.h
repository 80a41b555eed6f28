#pragma once

#include "runtime/session.h"

#include <QKeySequence>
#include <QList>

class QAction;
class QDockWidget;
class QMenu;
class QSlider;
class TForm2;
class TRunController;

// TRunCommands: the menu "Ausführen" after the design's menus (start, single step, pause, stop, the
// breakpoint of the current element, the speed), the run tool bar (start or go on, single step, pause,
// stop, and a speed slider) and, at the end of the "Ansicht" menu, the items that show and hide the docks
// of a run. The actions belong to the main window like its own; menu and tool bar share them.
class TRunCommands
{
public:
    // The speeds the menu offers, in steps per second; 0: as fast as possible.
    static constexpr int kSpeeds[] = {1, 2, 4, 10, 30, 0};
    // The positions of the speed slider, slowest first.
    static constexpr int kSliderSpeeds[] = {1, 2, 3, 4, 6, 10, 15, 20, 30, 50, 100, 200, 500, 0};

    TRunCommands(TForm2& main, TRunController& controller, const QList<QDockWidget*>& docks);

    // The run tool bar, after the tool bars the main window has made so far.
    void createToolBar();
    // Enables what a run in `state` allows; the start item says "Fortsetzen" while the run is paused.
    void update(runtime::SessionState state);
    // The menu and the slider show `stepsPerSecond`.
    void showSpeed(int stepsPerSecond);

    QMenu* menu() const { return m_menu; }
    QSlider* speedSlider() const { return m_slider; }

private:
    QAction* addItem(const char* name, const QString& caption, void (TRunController::*command)(),
                     const QKeySequence& shortcut);

    TForm2& m_main;
    TRunController& m_controller;
    QMenu* m_menu = nullptr;
    QAction* m_start = nullptr;
    QAction* m_step = nullptr;
    QAction* m_pause = nullptr;
    QAction* m_stop = nullptr;
    QList<QAction*> m_speedItems;
    QSlider* m_slider = nullptr;
};
