// One edit in the editor on a large design: the undo snapshot, the change, and the repaint and scroll
// ranges of every open window, as a text edit through the Enter key does them; and the same edit with the
// events it leaves, in which the Java view makes its text again. The design has 10,000,
// 100,000 or 1,000,000 elements and three windows are open: the whole design and two named blocks.
// The flat cases edit the middle statement of one sequence of 1,000,000 statements, the whole design's
// window the only one open; the last inserts a statement there and removes it again.

#include "bench/bench_ui_main.h"
#include "model/dateiformat.h"
#include "model/editing.h"
#include "model/texts.h"
#include "ui/commandguard.h"
#include "ui/dialogservice.h"
#include "ui/hauptfenster.h"
#include "ui/struktogrammfenster.h"

#include <QApplication>
#include <QEvent>
#include <QMdiArea>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

namespace {

// Answers every input box at once with a fresh text.
class ImmediateDialogs : public TQtDialogService
{
public:
    std::optional<QString> inputBox(QWidget*, const QString&, const QString&, const QString&) override
    {
        return QStringLiteral("summe = summe + %1").arg(++m_count);
    }

private:
    int m_count = 0;
};

// Counts the paint events of the widgets it watches.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

int countElements(const TElement* e)
{
    int count = 0;
    for (; e; e = e->Next.get()) {
        ++count;
        if (const TBlock* block = asBlock(e))
            count += countElements(block->FirstChild.get());
        else if (const TBedingung* condition = asCondition(e))
            for (int i = 1; i <= condition->BranchCount; ++i)
                count += countElements(condition->branch(i));
    }
    return count;
}

// Named blocks of groups (a statement, a decision with a statement in each branch, a loop with a
// statement): `count` elements with the branch blocks counted.
std::unique_ptr<TBlock> largeDesign(int count)
{
    auto root = TBlock::Create(texts::kGesamtesProgramm);
    makeDesignRoot(*root);
    int elements = 1;
    TElement* lastBlock = nullptr;
    for (int b = 0; elements < count; ++b) {
        auto block = TBlock::Create("Teil " + std::to_string(b));
        ++elements;
        TElement* last = nullptr;
        auto append = [&](std::unique_ptr<TElement> e) {
            TElement* raw = e.get();
            if (last)
                last->Next = std::move(e);
            else
                block->FirstChild = std::move(e);
            last = raw;
        };
        for (int g = 0; g < 100 && elements < count; ++g) {
            append(TAnweisung::Create("x" + std::to_string(g) + " = eingabe()"));
            auto decision = TIf::Create("x" + std::to_string(g) + " > 0");
            decision->branch(1)->FirstChild = TAnweisung::Create("positiv()");
            decision->branch(2)->FirstChild = TAnweisung::Create("negativ()");
            append(std::move(decision));
            auto loop = TWhile::Create("i < " + std::to_string(g));
            loop->branch(1)->FirstChild = TAnweisung::Create("i = i + 1");
            append(std::move(loop));
            elements += 9;
        }
        TElement* raw = block.get();
        if (lastBlock)
            lastBlock->Next = std::move(block);
        else
            root->FirstChild = std::move(block);
        lastBlock = raw;
    }
    return root;
}

// One sequence of `count` statements.
std::unique_ptr<TBlock> flatDesign(int count)
{
    auto root = TBlock::Create(texts::kGesamtesProgramm);
    makeDesignRoot(*root);
    std::unique_ptr<TElement>* tail = &root->FirstChild;
    for (int i = 1; i < count; ++i) {
        *tail = TAnweisung::Create("summe = summe + " + std::to_string(i));
        tail = &(*tail)->Next;
    }
    return root;
}

// Loads a design of state.range(0) elements with three windows open and measures `edit` on the whole-design
// window, `statement` being the first statement of the first named block.
template <class Edit> void measureEdits(benchmark::State& state, Edit edit, bool flat = false)
{
    ImmediateDialogs dialogs;
    setDialogService(&dialogs);
    {
        // The design comes in through a file, as a user's would.
        const std::string file = "bench_ui_edit.str";
        {
            const int count = static_cast<int>(state.range(0));
            std::unique_ptr<TBlock> design = flat ? flatDesign(count) : largeDesign(count);
            state.counters["elements"] = countElements(design.get());
            writeDesignFile(file, *design);
        }
        TForm2 loaded(file);
        std::remove(file.c_str());
        loaded.show();
        QCoreApplication::processEvents();
        TForm1* whole = loaded.wholeDesignWindow();
        TElement* first = loaded.Design()->FirstChild.get();
        TElement* statement = first;
        if (flat) {
            for (int i = 0; i < state.range(0) / 2; ++i)
                statement = statement->Next.get();
        } else {
            loaded.openBlockWindow(asBlock(first));
            loaded.openBlockWindow(asBlock(first->Next.get()));
            loaded.mdiArea()->tileSubWindows();
            QCoreApplication::processEvents();
            loaded.mdiArea()->setActiveSubWindow(whole);
            statement = asBlock(first)->FirstChild.get();
        }
        PaintCounter counter;
        for (TForm1* window : loaded.diagramWindows())
            window->drawingWidget()->installEventFilter(&counter);
        for (auto _ : state)
            edit(*whole, statement);
        state.counters["windows"] = static_cast<double>(loaded.diagramWindows().size());
        state.counters["paints_per_edit"] =
            static_cast<double>(counter.paints) / static_cast<double>(state.iterations());
        loaded.document().markSaved();
    }
    setDialogService(nullptr);
}

// Enter: snapshot, new text, repaint and scroll ranges of every window.
void textEdit(TForm1& whole, TElement* statement)
{
    whole.setCurrent(statement);
    whole.FormKeyDown(static_cast<int>(TKey::Enter));
}

void BM_EditWithThreeWindows(benchmark::State& state)
{
    measureEdits(state, textEdit);
}
BENCHMARK(BM_EditWithThreeWindows)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

// The same edit and then the events it leaves: the Java view, shown, makes its text again.
void BM_EditAndTheJavaView(benchmark::State& state)
{
    measureEdits(state, [](TForm1& whole, TElement* statement) {
        textEdit(whole, statement);
        QCoreApplication::processEvents();
    });
}
BENCHMARK(BM_EditAndTheJavaView)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_FlatEdit(benchmark::State& state)
{
    measureEdits(state, textEdit, true);
}
BENCHMARK(BM_FlatEdit)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_FlatEditAndTheJavaView(benchmark::State& state)
{
    measureEdits(
        state,
        [](TForm1& whole, TElement* statement) {
            textEdit(whole, statement);
            QCoreApplication::processEvents();
        },
        true);
}
BENCHMARK(BM_FlatEditAndTheJavaView)->Arg(1000000)->Unit(benchmark::kMillisecond);

// A statement inserted after the middle one, its text given, and removed again, each with the events it
// leaves: two changes of the sequence itself.
void BM_FlatInsertAndDelete(benchmark::State& state)
{
    measureEdits(
        state,
        [](TForm1& whole, TElement* statement) {
            whole.setCurrent(statement);
            whole.Einfuegen("BAnweisung");
            QCoreApplication::processEvents();
            whole.Loeschen();
            QCoreApplication::processEvents();
        },
        true);
}
BENCHMARK(BM_FlatInsertAndDelete)->Arg(1000000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    return bench::runUiBenchmarks(argc, argv);
}
