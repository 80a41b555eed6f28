// The design as a Java program: the text below was compiled with javac 17 and run with java 17 on the
// input below; its output is what that run printed. The design must run the same way, and the program
// written for it must be that text.

#include "runtime/javaprogram.h"

#include "runtime/runtime.h"
#include "tests/support/designs.h"

#include <gtest/gtest.h>

namespace {

class Console final : public runtime::OutputSink
{
public:
    void write(std::string_view text) override { output += text; }
    std::string output;
};

class Input final : public runtime::InputSource
{
public:
    explicit Input(std::string text) : m_text(std::move(text)) {}
    Status read(std::string& text) override
    {
        if (m_text.empty())
            return Status::End;
        text = std::move(m_text);
        m_text.clear();
        return Status::Text;
    }

private:
    std::string m_text;
};

// A repeat-until loop, counting loops whose variable the design does not declare (one nested in the
// other, one after a declaration of its own variable), a named block, Scanner input and an umlaut.
std::unique_ptr<TBlock> classroomDesign()
{
    auto root = makeRoot();
    append(*root, TAnweisung::Create("Scanner sc = new Scanner(System.in)"));
    append(*root, TAnweisung::Create("int n = sc.nextInt()"));
    auto* outer = append(*root, TFor::Create("i von 1 bis n"));
    auto* inner = append(*outer->branch(1), TFor::Create("k von 1 bis i"));
    append(*inner->branch(1), TAnweisung::Create("System.out.print(\"*\")"));
    append(*outer->branch(1), TAnweisung::Create("System.out.println()"));
    append(*root, TAnweisung::Create("int k = 10"));
    auto* again = append(*root, TFor::Create("k von 11 bis 12"));
    append(*again->branch(1), TAnweisung::Create("System.out.println(k)"));
    auto* block = append(*root, TBlock::Create("Halbieren"));
    append(*block, TAnweisung::Create("int x = 100"));
    auto* repeat = append(*block, TRepeat::Create("x < 10"));
    append(*repeat->branch(1), TAnweisung::Create("x = x / 2"));
    append(*repeat->branch(1), TAnweisung::Create("System.out.println(\"Gr\xf6\xdf"
                                                  "e \" + x)"));
    return root;
}

constexpr char kProgram[] = R"~(import java.util.Scanner;

public class Klasse {
    public static void main(String[] args) {
        Scanner sc = new Scanner(System.in);
        int n = sc.nextInt();
        for (int i=1;i<=n;i=i+1) {
          for (int k=1;k<=i;k=k+1) {
            System.out.print("*");
          }
          System.out.println();
        }
        int k = 10;
        for (k=11;k<=12;k=k+1) {
          System.out.println(k);
        }

        // Halbieren
        int x = 100;
        do {
          x = x / 2;
          System.out.println("Größe " + x);
        } while (!(x < 10));
        // Ende Halbieren

    }
}
)~";

constexpr char kInput[] = "3\n";
constexpr char kOutput[] = "*\n**\n***\n11\n12\nGröße 50\nGröße 25\nGröße 12\nGröße 6\n";

TEST(JavaProgram, CompilesAndRunsAsTheDesignRuns)
{
    const auto root = classroomDesign();
    const runtime::CheckResult checked = runtime::Check(*root);
    ASSERT_TRUE(checked.program);
    EXPECT_EQ(runtime::javaProgram(*root, checked, "Klasse", true), kProgram);

    Console console;
    Input input(kInput);
    runtime::Run run(checked.program, console, input);
    while (run.state() == runtime::RunState::Running)
        run.step();
    EXPECT_EQ(run.state(), runtime::RunState::Finished);
    EXPECT_EQ(console.output, kOutput);
}

TEST(JavaProgram, ClassNamesAreIdentifiers)
{
    const struct
    {
        const char* stem;
        const char* name;
    } cases[] = {
        {"Summe", "Summe"},
        {"aufgabe 3-b", "aufgabe_3_b"},
        {"3d", "_3d"},
        {"", "Programm"},
        {"class", "class_"},
        {"Gr\xc3\xb6\xc3\x9f"
         "e",
         "Gr\xc3\xb6\xc3\x9f"
         "e"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(runtime::javaClassName(c.stem), c.name) << c.stem;
}

} // namespace
