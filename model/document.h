#pragma once

// A design as a document: the root block, the undo history, the parts removed from the design that some
// window still shows, and whether the design changed since it was created, loaded or saved. The main
// window owns one; the diagram windows do their document work through it. No Qt.

#include "model/struktteile.h"
#include "model/undohistory.h"

#include <memory>
#include <vector>

// A new design: an empty root block named "gesamtes Programm".
std::unique_ptr<TBlock> newDesign();

// TDocumentListener: told when the design is replaced as a whole, so that the windows can let go of the
// old one (block windows close) and show the new one.
class TDocumentListener
{
public:
    virtual ~TDocumentListener() = default;
    // The old design is still in place and still valid.
    virtual void designReplacing() = 0;
    // The new root is in place; the old design is released right after this returns.
    virtual void designReplaced(TBlock& root) = 0;
};

// TDesignDocument: see above.
class TDesignDocument
{
public:
    explicit TDesignDocument(std::unique_ptr<TBlock> root = newDesign());
    ~TDesignDocument();
    TDesignDocument(const TDesignDocument&) = delete;
    TDesignDocument& operator=(const TDesignDocument&) = delete;

    TBlock& root() const { return *m_root; }
    void setListener(TDocumentListener* listener) { m_listener = listener; }

    bool isModified() const { return m_modified; }
    // After the design was written to a file.
    void markSaved() { m_modified = false; }

    // Installs `root` as the design (new, loaded, pasted): the history is cleared; the design counts as
    // modified when `modified` (a pasted design is in no file yet).
    void replaceDesign(std::unique_ptr<TBlock> root, bool modified);

    // ---- the undo history ----
    const TUndoHistory& undoHistory() const { return m_undo; }
    // Records the design before a change, and marks it modified.
    void takeSnapshot();
    // Takes back the newest snapshot, and with it the modified mark that it brought.
    void dropNewestSnapshot();
    // The change that took the newest snapshot left the design as it was: the snapshot stays (an undo
    // step that changes nothing), but the design is as modified as it was before.
    void changedNothing();
    // One step back through the history; false when there is nothing to undo.
    bool undo();

    // ---- removed parts and the windows that show them ----
    // A window shows `block` from now on / no longer. A block may be shown by several windows.
    void viewOpened(const TBlock* block);
    void viewClosed(const TBlock* block);
    // Takes over what a command removed from the design: released at once unless a window shows a block
    // inside it, else kept until no window does (or the design is replaced).
    void takeOverRemoved(std::unique_ptr<TElement> removed);
    // Removed parts kept for windows that show a block inside them.
    int parkedCount() const { return static_cast<int>(m_parked.size()); }

private:
    void installRoot(std::unique_ptr<TBlock> root);
    bool holdsShownBlock(TElement& part) const;

    std::unique_ptr<TBlock> m_root;
    TUndoHistory m_undo;
    std::vector<std::unique_ptr<TElement>> m_parked;
    std::vector<const TBlock*> m_shown; // one entry per window
    TDocumentListener* m_listener = nullptr;
    bool m_modified = false;
};
