// Imports arbitrary bytes as pasted source text (UTF-8 or code page 1252, comments left out) and exports
// the result. The only refusal allowed is the nesting message; whatever parses must be a well-formed
// tree (as paste installs it) that exports in both forms, and the file form is parsed again, unless the
// export is far larger than the input.

#include "model/javaexport.h"
#include "parser/interpret.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

// The export is built and parsed again only when it is at most this many times the input, plus a few
// lines.
constexpr std::uint64_t kMaxGrowth = 4;
constexpr std::uint64_t kMaxExtra = 4096;

// Branch blocks have no successor and Standalone 0, everything in a sequence has Standalone 1, and no
// block lies deeper than kMaxNesting levels. `depth` is the level of a block standing in the sequence
// or owned by an element of it (the root is level 1).
void checkSequence(const TElement& first, int depth)
{
    for (const TElement* e = &first; e; e = e->Next.get()) {
        if (!e->Standalone || e->kind() == Kind::Repeat)
            std::abort();
        if (e->kind() != Kind::Anweisung && depth > kMaxNesting)
            std::abort();
        if (const TBlock* block = asBlock(e)) {
            if (block->FirstChild)
                checkSequence(*block->FirstChild, depth + 1);
        } else if (const TBedingung* condition = asCondition(e)) {
            const int expected = e->kind() == Kind::If ? 2 : 1;
            if (condition->BranchCount != expected)
                std::abort();
            for (int i = 1; i <= expected; ++i) {
                const TBlock* branch = condition->branch(i);
                if (!branch || branch->Standalone || branch->Next || !branch->Braced)
                    std::abort();
                if (branch->FirstChild)
                    checkSequence(*branch->FirstChild, depth + 1);
            }
        }
    }
}

} // namespace

// AddressSanitizer records where each block was allocated; the parser allocates one element after the
// other, and the full stack of each costs a fifth of the run. Five frames still name the allocation.
extern "C" const char* __asan_default_options()
{
    return "malloc_context_size=5";
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<TBlock> root;
    try {
        // The paste command's whole import: the encoding, the comments, the parse.
        root = importJava(text).root;
    } catch (const DesignError& error) {
        if (error.reason() != ErrorReason::TooDeeplyNested)
            std::abort();
        return 0;
    }
    if (root->Next)
        std::abort();
    if (root->FirstChild)
        checkSequence(*root->FirstChild, 2);
    makeDesignRoot(*root);
    // Deep nesting repeats its indentation on every line, so an export can be a thousand times its
    // input. Such an export is measured only up to a limit: building it twice and parsing it again would
    // find nothing that a smaller input does not, and only slow the search down.
    const std::uint64_t limit = kMaxGrowth * size + kMaxExtra;
    if (!measuredSize(limit, [&root](TByteSink& out) { exportJava(out, *root, false); }))
        return 0;
    const std::string file = exportJavaText(*root, false);
    const std::string clipboard = exportJavaText(*root, true);
    if (clipboard.size() < file.size())
        std::abort();
    // Reading the export back exercises the parser on the export's own shapes.
    try {
        ParseText(file);
    } catch (const DesignError& error) {
        if (error.reason() != ErrorReason::TooDeeplyNested)
            std::abort();
    }
    return 0;
}
