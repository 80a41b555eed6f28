#pragma once

// The size table of one paint or hit test. Measuring a block measures everything inside it, and drawing
// or hit testing asks every nested element for its size again, so a literal layout measures each element
// once per enclosing level. The table keeps each element's `Measure` result for the length of one call:
// every figure is still exactly what a fresh measurement gives (nothing changes the tree, the fonts or the
// options during one call), each element is measured once, and the next call measures afresh, so an edit
// shows at once.

#include "model/canvas.h"
#include "model/displayoptions.h"
#include "model/struktteile.h"

#include <cstddef>
#include <cstdint>
#include <optional>

// TSizeTable: the measured sizes of the elements met during one paint or hit test. Each table has a
// stamp that no other table ever has; an element keeps its size together with the stamp of the table
// that measured it, so a look-up reads the element itself, which the walk touches anyway, and an entry
// of an earlier call never counts.
class TSizeTable
{
public:
    struct Entry
    {
        const TElement* element = nullptr;
        TSize size;
        // The element, or an element drawn inside it, is drawn marked (marked, on screen): its figure is
        // drawn even where it lies outside the painted area, so that it records HighlightRect.
        bool holdsMark = false;
    };

    TSizeTable();
    TSizeTable(const TSizeTable&) = delete;
    TSizeTable& operator=(const TSizeTable&) = delete;

    // The size of `e` as its `Measure` gives it, measured on the first request.
    Entry get(const TElement& e, TCanvas& canvas, TDisplayOptions& options);

    // How many elements were measured.
    std::size_t size() const { return m_count; }

private:
    bool childrenHoldMark(const TElement& e, TCanvas& canvas, TDisplayOptions& options);

    std::uint64_t m_stamp;
    std::size_t m_count = 0;
    const TCanvas* m_canvas = nullptr;
};

// Installs a fresh size table in `options` for the length of one call, unless one is installed already
// (nested calls share the outermost call's table).
class TSizeTableScope
{
public:
    explicit TSizeTableScope(TDisplayOptions& options) : m_options(options)
    {
        if (!options.Sizes) {
            m_table.emplace();
            options.Sizes = &*m_table;
        }
    }
    ~TSizeTableScope()
    {
        if (m_table)
            m_options.Sizes = nullptr;
    }
    TSizeTableScope(const TSizeTableScope&) = delete;
    TSizeTableScope& operator=(const TSizeTableScope&) = delete;

private:
    TDisplayOptions& m_options;
    std::optional<TSizeTable> m_table;
};

// The size of `e` (its `Measure`), through the options' size table when one is installed.
TSize measured(const TElement& e, TCanvas& canvas, TDisplayOptions& options);
// The size of a branch block that may be missing (a bare condition element): zero then.
TSize measured(const TElement* e, TCanvas& canvas, TDisplayOptions& options);
