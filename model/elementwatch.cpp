#include "model/elementwatch.h"

#include "model/struktteile.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

namespace {

std::unordered_map<const TElement*, std::vector<TElementWatcher*>>& watchers()
{
    static std::unordered_map<const TElement*, std::vector<TElementWatcher*>> all;
    return all;
}

} // namespace

void watchElement(TElement& e, TElementWatcher& watcher)
{
    std::vector<TElementWatcher*>& list = watchers()[&e];
    if (std::find(list.begin(), list.end(), &watcher) == list.end())
        list.push_back(&watcher);
    e.markWatched();
}

void unwatchElement(const TElement* e, TElementWatcher& watcher)
{
    const auto found = watchers().find(e);
    if (found == watchers().end())
        return;
    std::erase(found->second, &watcher);
    if (found->second.empty())
        watchers().erase(found);
}

void notifyElementGone(const TElement* e)
{
    const auto found = watchers().find(e);
    if (found == watchers().end())
        return;
    const std::vector<TElementWatcher*> list = std::move(found->second);
    watchers().erase(found);
    for (TElementWatcher* watcher : list)
        watcher->elementGone(e);
}

TLivingElements::~TLivingElements()
{
    for (const TElement* e : m_alive)
        unwatchElement(e, *this);
}

void TLivingElements::add(TElement& e)
{
    watchElement(e, *this);
    m_alive.insert(&e);
}
