#pragma once

// A design as a document: the root block, the undo history, the parts removed from the design that some
// window still shows, and whether the design changed since it was created, loaded or saved. The main
// window owns one; the diagram windows do their document work through it. No Qt.

#include "model/struktteile.h"
#include "model/undohistory.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// A new design: an empty root block named "gesamtes Programm".
std::unique_ptr<TBlock> newDesign();

// TDocumentListener: told when the design is replaced as a whole, so that the windows can let go of the
// old one (block windows close) and show the new one; and when what the windows show about the document
// changed (the file name, the modified mark, what undo and redo can do).
class TDocumentListener
{
public:
    virtual ~TDocumentListener() = default;
    // The old design is still in place and still valid; `historyStep` when undo or redo replaces it by
    // another state of the same design, not by another design.
    virtual void designReplacing(bool historyStep) = 0;
    // The new root is in place; the old design is released right after this returns.
    virtual void designReplaced(TBlock& root) = 0;
    virtual void documentChanged() {}
};

// A design as loadDesign or readDesignFile (model/dateiformat.h) hands it over: every element knows its
// parent from the reader.
struct TLoadedDesign
{
    std::unique_ptr<TBlock> root;
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
    // After the design was written to a file; with the file's name when it was written to another one.
    void markSaved();
    void markSaved(std::string fileName);
    // The file the design was loaded from or last saved to (a path in the platform's encoding); empty
    // for a design that is in no file yet.
    const std::string& fileName() const { return m_fileName; }

    // Installs `root` as the design (new, loaded, pasted): the history is cleared; the design counts as
    // modified when `modified` (a pasted design is in no file yet); `fileName` is the file it came from.
    void replaceDesign(std::unique_ptr<TBlock> root, bool modified, std::string fileName = {});
    // The same for a design read from a file (model/dateiformat.h), whose elements know their parents from
    // the reader: installed without another walk over all of them.
    void replaceDesign(TLoadedDesign design, bool modified, std::string fileName = {});

    // Changes with every snapshot taken or taken back, every design installed and every view closed.
    // Every edit of the tree follows a snapshot at once, with no event handled in between, so what a
    // view found out about the tree while the revision stayed the same still holds.
    std::uint64_t revision() const { return m_revision; }
    // Changes with every snapshot taken or taken back, every undo and redo and every design installed:
    // whenever the design may have changed. Saving and closing windows leave it.
    std::uint64_t edits() const { return m_edits; }

    // ---- the undo history ----
    const TUndoHistory& undoHistory() const { return m_undo; }
    // Records the design before a change, and marks it modified.
    void takeSnapshot();
    // Takes back the newest snapshot, and with it the modified mark that it brought.
    void dropNewestSnapshot();
    // Gives `e`, an element of the design, the text `text` as one undo step, and tells the listener once
    // the text is set. A text equal to the old one changes nothing: the history, the modified mark and
    // what undo and redo can do stay as they were. True when the text changed.
    bool changeText(TElement& e, std::string text);
    // One step back through the history; false when there is nothing to undo.
    bool undo();
    // Takes back the last undo step; false when there is none since the last change.
    bool redo();
    bool canUndo() const { return m_undo.canUndo(); }
    bool canRedo() const { return m_undo.canRedo(); }

    // TCommand: one command of the user, from its start to its end. Snapshots that a command takes
    // inside its own and takes back again (an insertion asking for the new element's text) push no state
    // out of a full history. Commands may nest; the outermost one counts.
    class TCommand
    {
    public:
        explicit TCommand(TDesignDocument& document) : m_document(document)
        {
            m_document.m_undo.beginCommand();
        }
        ~TCommand() { m_document.m_undo.endCommand(); }
        TCommand(const TCommand&) = delete;
        TCommand& operator=(const TCommand&) = delete;

    private:
        TDesignDocument& m_document;
    };

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
    // `parentsSet`: every element of `root` already knows its parent.
    void installRoot(std::unique_ptr<TBlock> root, bool historyStep, bool parentsSet = false);
    bool holdsShownBlock(TElement& part) const;
    void changed();

    std::unique_ptr<TBlock> m_root;
    TUndoHistory m_undo;
    std::vector<std::unique_ptr<TElement>> m_parked;
    std::vector<const TBlock*> m_shown; // one entry per window
    TDocumentListener* m_listener = nullptr;
    std::string m_fileName;
    std::uint64_t m_revision = 0;
    std::uint64_t m_edits = 0;
    bool m_modified = false;
};
