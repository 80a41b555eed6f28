#include "model/document.h"

#include "model/editing.h"
#include "model/texts.h"
#include "model/treewalk.h"

#include <algorithm>
#include <utility>

std::unique_ptr<TBlock> newDesign()
{
    auto root = TBlock::Create(texts::kGesamtesProgramm);
    makeDesignRoot(*root);
    return root;
}

TDesignDocument::TDesignDocument(std::unique_ptr<TBlock> root) : m_root(std::move(root))
{
    makeDesignRoot(*m_root);
    adoptTree(*m_root);
}

TDesignDocument::~TDesignDocument() = default;

void TDesignDocument::installRoot(std::unique_ptr<TBlock> root, bool historyStep, bool parentsSet)
{
    makeDesignRoot(*root);
    if (!parentsSet)
        adoptTree(*root); // a tree put together link by link learns where each element stands
    if (m_listener)
        m_listener->designReplacing(historyStep);
    // Released after the listener has moved the windows on: they point into it until then.
    const std::unique_ptr<TBlock> old = std::exchange(m_root, std::move(root));
    m_parked.clear();
    ++m_revision;
    if (m_listener)
        m_listener->designReplaced(*m_root);
}

void TDesignDocument::changed()
{
    ++m_revision;
    ++m_edits;
    if (m_listener)
        m_listener->documentChanged();
}

void TDesignDocument::markSaved()
{
    m_modified = false;
    if (m_listener)
        m_listener->documentChanged(); // the tree is as it was
}

void TDesignDocument::markSaved(std::string fileName)
{
    m_fileName = std::move(fileName);
    markSaved();
}

void TDesignDocument::replaceDesign(std::unique_ptr<TBlock> root, bool modified, std::string fileName)
{
    installRoot(std::move(root), false);
    m_undo.clear();
    m_modified = modified;
    m_fileName = std::move(fileName);
    changed();
}

void TDesignDocument::replaceDesign(TLoadedDesign design, bool modified, std::string fileName)
{
    installRoot(std::move(design.root), false, true);
    m_undo.clear();
    m_modified = modified;
    m_fileName = std::move(fileName);
    changed();
}

void TDesignDocument::takeSnapshot()
{
    m_undo.TakeSnapshot(*m_root, m_modified);
    m_modified = true;
    changed();
}

bool TDesignDocument::changeText(TElement& e, std::string text)
{
    if (text == e.Text)
        return false;
    m_undo.TakeSnapshot(*m_root, m_modified);
    m_modified = true;
    setText(e, std::move(text));
    changed();
    return true;
}

void TDesignDocument::dropNewestSnapshot()
{
    m_modified = m_undo.DropNewestSnapshot();
    changed();
}

bool TDesignDocument::undo()
{
    std::unique_ptr<TBlock> restored = m_undo.undo(*m_root);
    if (!restored)
        return false;
    installRoot(std::move(restored), true);
    m_modified = true;
    changed();
    return true;
}

bool TDesignDocument::redo()
{
    std::unique_ptr<TBlock> restored = m_undo.redo();
    if (!restored)
        return false;
    installRoot(std::move(restored), true);
    m_modified = true;
    changed();
    return true;
}

void TDesignDocument::viewOpened(const TBlock* block)
{
    m_shown.push_back(block);
}

void TDesignDocument::viewClosed(const TBlock* block)
{
    const auto found = std::find(m_shown.begin(), m_shown.end(), block);
    if (found != m_shown.end())
        m_shown.erase(found);
    ++m_revision;
    std::erase_if(m_parked,
                  [this](const std::unique_ptr<TElement>& part) { return !holdsShownBlock(*part); });
}

void TDesignDocument::takeOverRemoved(std::unique_ptr<TElement> removed)
{
    if (removed && holdsShownBlock(*removed))
        m_parked.push_back(std::move(removed));
}

bool TDesignDocument::holdsShownBlock(TElement& part) const
{
    if (m_shown.empty())
        return false;
    return visitTree(&part, true, [this](TElement* e) {
        return e->isBlock() && std::find(m_shown.begin(), m_shown.end(), e) != m_shown.end();
    });
}
