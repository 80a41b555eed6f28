// Parses arbitrary bytes as pasted source text, checks the design as Java and runs it for at most
// 20,000 steps on fixed input, reading the variables after every step. A check must either give a
// program or name at least one problem; nothing may crash, leak or run away within a step.

#include "parser/interpret.h"
#include "runtime/runtime.h"

#include <cstdlib>
#include <string_view>

namespace {

class Discard final : public runtime::OutputSink
{
public:
    void write(std::string_view) override {}
};

class FixedInput final : public runtime::InputSource
{
public:
    Status read(std::string& text) override
    {
        if (m_given)
            return Status::End;
        m_given = true;
        text = "3 -7 2,5 1e3 x\nzwei Worte\n\xc3\xa4\n";
        return Status::Text;
    }

private:
    bool m_given = false;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<TBlock> root;
    try {
        root = ParseText(text);
    } catch (const DesignError&) {
        return 0;
    }
    root->Standalone = false;
    root->Braced = false;
    const runtime::CheckResult checked = runtime::Check(*root);
    if (!checked.program) {
        if (checked.problems.empty())
            std::abort();
        return 0;
    }
    Discard output;
    FixedInput input;
    runtime::Run run(checked.program, output, input);
    for (int i = 0; i < 20000 && run.step().state == runtime::RunState::Running; ++i)
        run.variables();
    return 0;
}
