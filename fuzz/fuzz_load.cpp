// Reads arbitrary bytes as a design file. Whatever loads must dump, clone, save and read back to the
// same tree; whatever does not load must fail with one of the reader's messages.

#include "model/dateiformat.h"
#include "model/dump.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<TBlock> root;
    try {
        root = loadDesign(bytes);
    } catch (const DesignError& error) {
        if (error.reason() != ErrorReason::StreamRead && error.reason() != ErrorReason::TooDeeplyNested &&
            error.reason() != ErrorReason::NotADesign)
            std::abort();
        return 0;
    }
    const std::string dump = dumpTree(*root);
    const std::string saved = saveDesign(*root);
    auto reloaded = loadDesign(saved);
    if (dumpTree(*reloaded) != dump || dumpTree(*root->cloneBlock()) != dump ||
        saveDesign(*reloaded) != saved)
        std::abort();
    return 0;
}
