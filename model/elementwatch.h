#pragma once

// Being told when an element ends. The display options of a window remember elements (the current
// element, collapsed blocks) that another window's command may release; they watch them, so that they
// know which of their entries still name a living element and may be followed.

#include <unordered_set>

class TElement;

// TElementWatcher: told once when a watched element is destroyed.
class TElementWatcher
{
public:
    virtual void elementGone(const TElement* e) = 0;

protected:
    ~TElementWatcher() = default;
};

// From now on `watcher` is told when `e` is destroyed (once per watcher, however often it asks).
void watchElement(TElement& e, TElementWatcher& watcher);
// `watcher` is no longer told about the element at `e`, which need not be alive.
void unwatchElement(const TElement* e, TElementWatcher& watcher);

// Called by the element's destructor when the element has been watched.
void notifyElementGone(const TElement* e);

// TLivingElements: elements that are known to be alive, each until it is destroyed. For references that
// outlive their elements by design (breakpoints name elements by address and serial) where one must be
// followed only while it lives.
class TLivingElements final : public TElementWatcher
{
public:
    TLivingElements() = default;
    TLivingElements(const TLivingElements&) = delete;
    TLivingElements& operator=(const TLivingElements&) = delete;
    ~TLivingElements();

    // `e`, alive now, is followed until it is destroyed.
    void add(TElement& e);
    bool alive(const TElement* e) const { return m_alive.contains(e); }

    void elementGone(const TElement* e) override { m_alive.erase(e); }

private:
    std::unordered_set<const TElement*> m_alive;
};
