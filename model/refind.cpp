#include "model/refind.h"

#include "model/treewalk.h"

std::vector<TElementTrace> traceElements(const TBlock& root,
                                         const std::function<bool(const TElement&)>& wanted)
{
    std::vector<TElementTrace> traces;
    std::size_t rank = 0;
    visitTree(&root, false, [&](const TElement* e) {
        if (wanted(*e))
            traces.push_back({e->kind(), e->Text, rank});
        ++rank;
        return false;
    });
    return traces;
}

std::vector<TElement*> findTraced(TBlock& root, const std::vector<TElementTrace>& traces)
{
    std::vector<TElement*> found(traces.size(), nullptr);
    std::vector<std::size_t> distance(traces.size());
    std::size_t rank = 0;
    visitTree(&root, false, [&](TElement* e) {
        for (std::size_t i = 0; i < traces.size(); ++i) {
            const TElementTrace& trace = traces[i];
            if (e->kind() != trace.kind || e->Text != trace.text)
                continue;
            const std::size_t d = rank > trace.rank ? rank - trace.rank : trace.rank - rank;
            if (!found[i] || d < distance[i]) {
                found[i] = e;
                distance[i] = d;
            }
        }
        ++rank;
        return false;
    });
    return found;
}
