#pragma once

// Being told when an element ends. The display options of a window remember elements (the current
// element, collapsed blocks) that another window's command may release; they watch them, so that they
// know which of their entries still name a living element and may be followed.

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
