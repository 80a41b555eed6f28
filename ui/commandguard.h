#pragma once

#include "model/designerror.h"

#include <new>
#include <utility>

class QWidget;

// Messages for commands that ended by an exception; neither ever throws.
// "Nicht genug Arbeitsspeicher für diesen Befehl", shown with the memory reserve given up for it.
void reportOutOfMemory(QWidget* parent) noexcept;

// The editor keeps a few megabytes back from its start (keepMemoryReserve). Showing that memory ran out needs
// memory itself (a message box, the console's text): what shows it gives the reserve up first and takes it
// again after.
void releaseMemoryReserve() noexcept;
void keepMemoryReserve() noexcept;
// How the process hands out small blocks of memory, set once at its start: a block given back joins its free
// neighbours at once instead of waiting in a list of blocks of its size. A released design so leaves its
// memory in one piece, and the next design read or restored lies in memory in the order it was made, so
// walking it (measuring, painting, snapshots) follows memory instead of jumping through it. The blocks
// given back last are still reused at once (each thread's own cache of a few blocks per size).
void useCompactingAllocator() noexcept;
// The message of an error that a command did not handle itself.
void reportCommandError(QWidget* parent, const DesignError& error) noexcept;
// For painting, which must not open a dialog: the memory message comes after the current event, and only
// once until a paint succeeds again (paintSucceeded).
void reportOutOfMemoryLater(QWidget* parent) noexcept;
void paintSucceeded() noexcept;

// Runs one command of the editor (a menu item, a tool-bar button, a pop-up item, a key, a mouse event, the
// start-up load) so that no exception reaches the toolkit's event dispatch: memory running out ends the
// command with the memory message, an error it left unhandled with that error's message. The model's
// operations that allocate much (snapshots, undo, load, export, clipboard copy) are strongly
// exception-safe, so the design, its windows, the undo history and the modified mark stay as they were
// before the command; repainting that runs out of memory after a change leaves the change in place.
template <class Command> void runCommand(QWidget* parent, Command&& command) noexcept
{
    try {
        std::forward<Command>(command)();
    } catch (const std::bad_alloc&) {
        reportOutOfMemory(parent);
    } catch (const DesignError& error) {
        reportCommandError(parent, error);
    }
}

// Runs a paint handler: when memory runs out the picture stays unfinished and the message follows.
template <class Paint> void runPainting(QWidget* widget, Paint&& paint) noexcept
{
    try {
        std::forward<Paint>(paint)();
        paintSucceeded();
    } catch (const std::bad_alloc&) {
        reportOutOfMemoryLater(widget);
    }
}
