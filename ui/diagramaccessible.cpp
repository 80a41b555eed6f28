#include "ui/diagramaccessible.h"

#include "model/document.h"
#include "model/outline.h"
#include "model/treewalk.h"
#include "ui/cp1252.h"
#include "ui/diagramarea.h"
#include "ui/hauptfenster.h"
#include "ui/struktogrammfenster.h"
#include "ui/uitexts.h"

#include <QAbstractScrollArea>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>

#include <algorithm>
#include <cstdint>
#include <new>
#include <unordered_map>
#include <vector>

namespace {

class TItemAccessible;

// The diagram area: a tree whose one top item is the shown block. It keeps the item interfaces it has
// made, one per element, and drops those whose element has left the shown block.
class TDiagramAccessible : public QAccessibleWidget
{
public:
    TDiagramAccessible(QAbstractScrollArea* area, TForm1* form)
        : QAccessibleWidget(area, QAccessible::Tree), m_form(form)
    {
    }
    ~TDiagramAccessible() override;
    TDiagramAccessible(const TDiagramAccessible&) = delete;
    TDiagramAccessible& operator=(const TDiagramAccessible&) = delete;

    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;
    QString text(QAccessible::Text t) const override;

    TForm1* form() const { return m_form; }
    std::uint64_t revision() const { return m_form->mainWindow()->document().revision(); }
    // The item of `e`, made on the first request.
    TItemAccessible* item(TElement* e);
    // The item of `e` when `e` stands in the shown block, else null.
    TItemAccessible* itemInTree(const TElement* e);
    // Whether `e` still stands in the shown block as the element it was.
    bool stillShown(const TElement* e, std::uint64_t serial);
    // Drops the items of elements that left the shown block. Only between events: an item being asked
    // may be one of them.
    void prune();

private:
    TForm1* m_form;
    std::unordered_map<const TElement*, TItemAccessible*> m_items;
    // Items whose element's memory a new element took before the next prune.
    std::vector<TItemAccessible*> m_stale;
    std::uint64_t m_prunedAt = 0;
};

// One element of the shown block.
class TItemAccessible : public QAccessibleInterface
{
public:
    TItemAccessible(TDiagramAccessible* tree, TElement* e) : m_tree(tree), m_element(e), m_serial(e->serial())
    {
    }

    bool isValid() const override { return m_tree->object() && m_tree->stillShown(m_element, m_serial); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_tree->window(); }
    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override;
    int childCount() const override { return static_cast<int>(children().size()); }
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::TreeItem; }
    QAccessible::State state() const override;

    TElement* element() const { return m_element; }
    std::uint64_t serial() const { return m_serial; }
    // What the holder knows when it hands this item out: the path to it and its index there, so that
    // walking a long sequence does not search for each item.
    void placeBelow(const std::vector<TElement*>& holderPath, int index) const;
    // The index in the holder as placeBelow left it for this revision, or -1.
    int knownIndex() const { return m_pathRevision == m_tree->revision() + 1 ? m_index : -1; }

private:
    // The items from the shown block down to this one, and the items inside this one, as of the
    // document's revision.
    const std::vector<TElement*>& path() const;
    const std::vector<TElement*>& children() const;
    TElement* holder() const
    {
        const std::vector<TElement*>& p = path();
        return p.size() >= 2 ? p[p.size() - 2] : nullptr;
    }

    TDiagramAccessible* m_tree;
    TElement* m_element;
    std::uint64_t m_serial;
    mutable std::uint64_t m_pathRevision = 0;
    mutable std::vector<TElement*> m_path;
    mutable int m_index = -1;
    mutable std::uint64_t m_childrenRevision = 0;
    mutable std::vector<TElement*> m_children;
};

TDiagramAccessible::~TDiagramAccessible()
{
    for (const auto& [element, item] : m_items)
        m_stale.push_back(item);
    for (TItemAccessible* item : m_stale)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(item));
}

QAccessibleInterface* TDiagramAccessible::child(int index) const
{
    return index == 0 ? const_cast<TDiagramAccessible*>(this)->item(m_form->ShownBlock) : nullptr;
}

int TDiagramAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const auto* item = dynamic_cast<const TItemAccessible*>(child);
    return item && item->element() == m_form->ShownBlock ? 0 : -1;
}

QAccessibleInterface* TDiagramAccessible::childAt(int x, int y) const
{
    return rect().contains(x, y) ? child(0) : nullptr;
}

QAccessibleInterface* TDiagramAccessible::focusChild() const
{
    return const_cast<TDiagramAccessible*>(this)->itemInTree(m_form->currentElement());
}

QString TDiagramAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name)
        return QAccessibleWidget::text(t);
    // The drawing mode, and the window's caption (the shown block's name) when it has one.
    const QString mode =
        m_form->mainWindow()->flowchartMode() ? uitexts::flowchartMode() : uitexts::structogramMode();
    const QString caption = m_form->windowTitle();
    return caption.isEmpty() ? mode : mode + QStringLiteral(": ") + caption;
}

TItemAccessible* TDiagramAccessible::item(TElement* e)
{
    auto found = m_items.find(e);
    if (found != m_items.end()) {
        if (found->second->serial() == e->serial())
            return found->second;
        m_stale.push_back(found->second);
    }
    auto* made = new TItemAccessible(this, e);
    QAccessible::registerAccessibleInterface(made);
    m_items[e] = made;
    return made;
}

TItemAccessible* TDiagramAccessible::itemInTree(const TElement* e)
{
    if (!e || outlinePath(*m_form->ShownBlock, e).empty())
        return nullptr;
    return item(const_cast<TElement*>(e));
}

bool TDiagramAccessible::stillShown(const TElement* e, std::uint64_t serial)
{
    if (m_prunedAt == revision()) {
        const auto found = m_items.find(e);
        return found != m_items.end() && found->second->serial() == serial;
    }
    // The tree changed since the last look: the element must be found in it, never followed.
    const TElement* match = nullptr;
    visitTree(static_cast<const TElement*>(m_form->ShownBlock), false, [&](const TElement* x) {
        if (x != e)
            return false;
        match = x;
        return true;
    });
    return match && match->serial() == serial;
}

void TDiagramAccessible::prune()
{
    if (m_prunedAt == revision())
        return;
    m_prunedAt = revision();
    std::unordered_map<const TElement*, TItemAccessible*> live;
    if (!m_items.empty()) {
        visitTree(static_cast<const TElement*>(m_form->ShownBlock), false, [&](const TElement* x) {
            const auto found = m_items.find(x);
            if (found != m_items.end() && found->second->serial() == x->serial())
                live.insert(*found);
            return live.size() == m_items.size();
        });
    }
    for (const auto& [element, item] : m_items) {
        if (!live.contains(element))
            m_stale.push_back(item);
    }
    m_items = std::move(live);
    for (TItemAccessible* item : m_stale)
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(item));
    m_stale.clear();
}

const std::vector<TElement*>& TItemAccessible::path() const
{
    const std::uint64_t now = m_tree->revision() + 1; // 0 means "never worked out"
    if (m_pathRevision != now) {
        m_path = outlinePath(*m_tree->form()->ShownBlock, m_element);
        m_pathRevision = now;
        m_index = -1;
    }
    return m_path;
}

void TItemAccessible::placeBelow(const std::vector<TElement*>& holderPath, int index) const
{
    const std::uint64_t now = m_tree->revision() + 1;
    if (m_pathRevision == now)
        return;
    m_path = holderPath;
    m_path.push_back(m_element);
    m_index = index;
    m_pathRevision = now;
}

const std::vector<TElement*>& TItemAccessible::children() const
{
    const std::uint64_t now = m_tree->revision() + 1;
    if (m_childrenRevision != now) {
        m_children = isValid() ? outlineChildren(*m_element) : std::vector<TElement*>{};
        m_childrenRevision = now;
    }
    return m_children;
}

QAccessibleInterface* TItemAccessible::parent() const
{
    TElement* h = holder();
    return h ? static_cast<QAccessibleInterface*>(m_tree->item(h)) : m_tree;
}

QAccessibleInterface* TItemAccessible::child(int index) const
{
    const std::vector<TElement*>& c = children();
    if (index < 0 || index >= static_cast<int>(c.size()))
        return nullptr;
    TItemAccessible* item = m_tree->item(c[static_cast<std::size_t>(index)]);
    item->placeBelow(path(), index);
    return item;
}

int TItemAccessible::indexOfChild(const QAccessibleInterface* child) const
{
    const auto* item = dynamic_cast<const TItemAccessible*>(child);
    if (!item)
        return -1;
    const std::vector<TElement*>& c = children();
    const int known = item->knownIndex();
    if (known >= 0 && known < static_cast<int>(c.size()) &&
        c[static_cast<std::size_t>(known)] == item->element())
        return known;
    const auto found = std::find(c.begin(), c.end(), item->element());
    return found == c.end() ? -1 : static_cast<int>(found - c.begin());
}

QAccessibleInterface* TItemAccessible::childAt(int x, int y) const
{
    if (!isValid())
        return nullptr;
    TForm1& form = *m_tree->form();
    const QPoint at = form.drawingWidget()->mapFromGlobal(QPoint(x, y));
    const std::vector<TElement*> below = outlinePath(*m_element, form.elementAt(at));
    return below.size() >= 2 ? m_tree->item(below[1]) : nullptr;
}

QString TItemAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name || !isValid())
        return {};
    // Asked for by assistive technology through the toolkit, outside every command: an element's text
    // may be millions of characters, and memory running out leaves the name empty.
    try {
        return fromCp1252(outlineName(*m_element, holder()));
    } catch (const std::bad_alloc&) {
        return {};
    }
}

QRect TItemAccessible::rect() const
{
    if (!isValid())
        return {};
    TForm1& form = *m_tree->form();
    const std::optional<QRect> r = form.elementRect(m_element);
    if (!r)
        return {};
    return QRect(form.drawingWidget()->mapToGlobal(r->topLeft()), r->size());
}

QAccessible::State TItemAccessible::state() const
{
    QAccessible::State s;
    if (!isValid()) {
        s.invalid = true;
        return s;
    }
    TForm1& form = *m_tree->form();
    s.focusable = true;
    s.selectable = true;
    const bool current = form.currentElement() == m_element;
    s.selected = current;
    s.focused = current && form.scrollArea()->hasFocus();
    const std::vector<TElement*>& p = path();
    s.invisible = std::any_of(p.begin(), p.end() - (p.empty() ? 0 : 1),
                              [&form](const TElement* e) { return form.Options->IsCollapsed(e); });
    if (m_element->isBlock() && m_element != form.ShownBlock) {
        s.expandable = true;
        s.collapsed = form.Options->IsCollapsed(m_element);
        s.expanded = !s.collapsed;
    }
    return s;
}

QAccessibleInterface* diagramFactory(const QString&, QObject* object)
{
    auto* area = dynamic_cast<TDiagramArea*>(object);
    if (!area)
        return nullptr;
    return new TDiagramAccessible(area, area->form());
}

TDiagramAccessible* treeOf(TForm1& form)
{
    return dynamic_cast<TDiagramAccessible*>(QAccessible::queryAccessibleInterface(form.scrollArea()));
}

} // namespace

void installDiagramAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(diagramFactory);
        return true;
    }();
    (void)installed;
}

void diagramTreeChanged(TForm1& form)
{
    if (!QAccessible::isActive())
        return;
    if (TDiagramAccessible* tree = treeOf(form))
        tree->prune();
}

void announceCurrentElement(TForm1& form)
{
    if (!QAccessible::isActive() || !form.scrollArea()->hasFocus())
        return;
    TDiagramAccessible* tree = treeOf(form);
    TItemAccessible* item = tree ? tree->itemInTree(form.currentElement()) : nullptr;
    if (!item)
        return;
    QAccessibleEvent event(item, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}
