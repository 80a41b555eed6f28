// Writing a design as a compilable Java program.
#include "runtime/javaprogram.h"

#include "model/bytesink.h"
#include "model/cp1252.h"
#include "model/javaexport.h"
#include "runtime/javatext.h"

#include <algorithm>
#include <array>
#include <set>

namespace runtime {

namespace {

// Collects the export and where each counting loop that declares its variable begins.
class TProgramSink final : public TStringSink
{
public:
    explicit TProgramSink(const std::vector<ElementId>& loops)
    {
        for (const ElementId& id : loops)
            m_loops.insert(id.element);
    }
    void elementWritten(const void* element, std::uint64_t start) override
    {
        if (m_loops.count(static_cast<const TElement*>(element)))
            starts.push_back(static_cast<std::size_t>(start));
    }
    std::vector<std::size_t> starts;

private:
    std::set<const TElement*> m_loops;
};

// Whether `text` holds the word "Scanner".
bool namesScanner(const std::string& text)
{
    for (std::size_t at = text.find("Scanner"); at != std::string::npos; at = text.find("Scanner", at + 1)) {
        const bool before =
            at > 0 && isIdentifierPart(cp1252ToUnicode(static_cast<unsigned char>(text[at - 1])));
        const std::size_t end = at + 7;
        const bool after =
            end < text.size() && isIdentifierPart(cp1252ToUnicode(static_cast<unsigned char>(text[end])));
        if (!before && !after)
            return true;
    }
    return false;
}

bool anyTextNamesScanner(const TElement* first)
{
    for (const TElement* e = first; e; e = e->Next.get()) {
        if (namesScanner(e->Text) && !e->isBlock())
            return true;
        if (const TBlock* block = asBlock(e)) {
            if (anyTextNamesScanner(block->FirstChild.get()))
                return true;
        } else if (const TBedingung* condition = asCondition(e)) {
            for (int i = 1; i <= condition->BranchCount; ++i)
                if (const TBlock* branch = condition->branch(i);
                    branch && anyTextNamesScanner(branch->FirstChild.get()))
                    return true;
        }
    }
    return false;
}

bool isReserved(std::string_view word)
{
    static constexpr std::array<std::string_view, 53> kWords = {
        "abstract", "assert",       "boolean",  "break",     "byte",   "case",      "catch",    "char",
        "class",    "const",        "continue", "default",   "do",     "double",    "else",     "enum",
        "extends",  "final",        "finally",  "float",     "for",    "goto",      "if",       "implements",
        "import",   "instanceof",   "int",      "interface", "long",   "native",    "new",      "package",
        "private",  "protected",    "public",   "return",    "short",  "static",    "strictfp", "super",
        "switch",   "synchronized", "this",     "throw",     "throws", "transient", "try",      "void",
        "volatile", "while",        "true",     "false",     "null"};
    return std::find(kWords.begin(), kWords.end(), word) != kWords.end();
}

} // namespace

std::string javaClassName(std::string_view fileStem)
{
    // The stem is UTF-8: its ASCII characters are judged one by one, any other character is taken as a
    // letter (Java's identifiers hold letters of every script).
    std::string name;
    for (std::size_t i = 0; i < fileStem.size(); ++i) {
        const auto c = static_cast<unsigned char>(fileStem[i]);
        if (c >= 0x80 || isIdentifierPart(static_cast<char16_t>(c)))
            name.push_back(static_cast<char>(c));
        else
            name.push_back('_');
    }
    if (name.empty())
        return "Programm";
    if (name[0] >= '0' && name[0] <= '9')
        name.insert(name.begin(), '_');
    if (isReserved(name))
        name.push_back('_');
    return name;
}

std::string javaProgram(const TBlock& root, const CheckResult& checked, const std::string& className,
                        bool isPublic)
{
    TProgramSink sink(checked.declaringLoops);
    exportJava(sink, root, false);
    std::string body = sink.take();
    // From the back, so that the positions in front stay valid.
    std::sort(sink.starts.rbegin(), sink.starts.rend());
    for (const std::size_t start : sink.starts) {
        const std::size_t header = body.find("for (", start);
        if (header != std::string::npos)
            body.insert(header + 5, "int ");
    }

    std::string out;
    out.reserve(body.size() + body.size() / 4 + 200);
    if (anyTextNamesScanner(root.FirstChild.get()))
        out += "import java.util.Scanner;\n\n";
    if (isPublic)
        out += "public ";
    out += "class " + className + " {\n    public static void main(String[] args) {\n";
    bool lineStart = true;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n')
            continue;
        if (c == '\n') {
            out.push_back('\n');
            lineStart = true;
            continue;
        }
        if (lineStart) {
            out += "      "; // the export indents by two already: eight in all, inside main
            lineStart = false;
        }
        out.push_back(c);
    }
    if (!lineStart)
        out.push_back('\n');
    out += "    }\n}\n";
    // The design's texts are code page 1252; the program is UTF-8.
    return toUtf8(cp1252ToUtf16(out));
}

} // namespace runtime
