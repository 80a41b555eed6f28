// ExportJava: the design as a bare sequence of Java statements.
//
// Each element appends its own lines and hands the same indentation on to its successor; bodies that are
// branch or loop blocks indent their children by two more blanks, named blocks do not indent and frame
// their children with comment lines instead. Nothing is examined, escaped or cut.
#include "model/javaexport.h"

#include "model/designerror.h"
#include "model/looptext.h"

namespace {

constexpr char kLineEnd[] = "\r\n";
constexpr char kIndentUnit[] = "  ";

// A branch block or loop body, exported with the indentation of its owner; a missing one writes nothing.
void exportBranch(TByteSink& out, const TBlock* branch, const std::string& indent)
{
    if (branch)
        branch->ExportJava(out, indent);
}

} // namespace

void exportJava(TByteSink& out, const TBlock& root, bool clipboardForm)
{
    root.ExportJava(out, clipboardForm ? kIndentUnit : "");
    out.flush();
}

std::string exportJavaText(const TBlock& root, bool clipboardForm)
{
    TStringSink out;
    exportJava(out, root, clipboardForm);
    return out.take();
}

std::string clipboardJavaText(const TBlock& root)
{
    const auto write = [&root](TByteSink& out) { exportJava(out, root, true); };
    const std::optional<std::uint64_t> size = measuredSize(kMaxClipboardText, write);
    if (!size)
        throw DesignError(ErrorReason::TextTooLarge);
    TStringSink out(static_cast<std::size_t>(*size));
    write(out);
    return out.take();
}

// Appends the text of this element and of every successor, one after the other.
void TElement::ExportJava(TByteSink& out, const std::string& indent) const
{
    for (const TElement* e = out.elementStarts(this, indent); e;
         e = e->Next ? out.elementStarts(e->Next.get(), indent) : nullptr) {
        const std::uint64_t start = out.size();
        e->exportJavaElement(out, indent);
        out.elementWritten(e, start);
    }
}

// One line: the statement, with a ";" added unless it already ends in one.
void TAnweisung::exportJavaElement(TByteSink& out, const std::string& indent) const
{
    out += indent;
    out += Text;
    if (Text.empty() || Text.back() != ';')
        out += ';';
    out += kLineEnd;
}

// A named block: an empty line, a comment with its name, its children at the same indentation, a closing
// comment and an empty line. A body or the root: its children indented, in braces when Braced; the
// closing brace ends without a line end, since the owner continues that line.
void TBlock::exportJavaElement(TByteSink& out, const std::string& indent) const
{
    if (Standalone) {
        out += kLineEnd;
        out += indent;
        out += "// ";
        out += Text;
        out += kLineEnd;
        if (FirstChild)
            FirstChild->ExportJava(out, indent);
        out += indent;
        out += "// Ende ";
        out += Text;
        out += kLineEnd;
        out += kLineEnd;
        return;
    }
    if (Braced) {
        out += '{';
        out += kLineEnd;
    }
    if (FirstChild)
        FirstChild->ExportJava(out, indent + kIndentUnit);
    if (Braced) {
        out += indent;
        out += '}';
    }
}

// "if (c) {...}", and "else{...}" on a line of its own when the no branch holds anything.
void TIf::exportJavaElement(TByteSink& out, const std::string& indent) const
{
    out += indent;
    out += "if (";
    out += Text;
    out += ") ";
    exportBranch(out, branch(1), indent);
    const TBlock* no = branch(2);
    if (no && no->FirstChild) {
        out += kLineEnd;
        out += indent;
        out += "else";
        exportBranch(out, no, indent);
    }
    out += kLineEnd;
}

// "while (c) {...}".
void TWhile::exportJavaElement(TByteSink& out, const std::string& indent) const
{
    out += indent;
    out += "while (";
    out += Text;
    out += ") ";
    exportBranch(out, branch(1), indent);
    out += kLineEnd;
}

// "do {...} while (c);", the condition on the line of the closing brace.
void TDoWhile::exportJavaElement(TByteSink& out, const std::string& indent) const
{
    out += indent;
    out += "do ";
    exportBranch(out, branch(1), indent);
    out += " while (";
    out += Text;
    out += ");";
    out += kLineEnd;
}

// "do {...} while (!(c));": the loop repeats until its condition holds, so Java's do-while repeats while
// it does not. The body is always braced, whatever its block's flag says.
void TRepeat::exportJavaElement(TByteSink& out, const std::string& indent) const
{
    out += indent;
    out += "do {";
    out += kLineEnd;
    const TBlock* body = branch(1);
    if (body && body->FirstChild)
        body->FirstChild->ExportJava(out, indent + kIndentUnit);
    out += indent;
    out += "} while (!(";
    out += Text;
    out += "));";
    out += kLineEnd;
}

// "for (V=S;V<=E;V=V+1) {...}" with the parts split from the loop text as the counting-loop dialog
// splits them.
void TFor::exportJavaElement(TByteSink& out, const std::string& indent) const
{
    const LoopParts parts = splitLoopText(Text);
    const std::string& v = parts.variable;
    out += indent;
    out += "for (";
    out += v;
    out += '=';
    out += parts.start;
    out += ';';
    out += v;
    out += "<=";
    out += parts.end;
    out += ';';
    out += v;
    out += '=';
    out += v;
    out += "+1) ";
    exportBranch(out, branch(1), indent);
    out += kLineEnd;
}
