// Running designs as Java runs their exported text. The expected outputs, exit statuses and failing
// elements of the table were taken from a JDK run of each exported program (with the shortest double
// digits where JDK 17 prints more: 1.0E23).

#include "runtime/runtime.h"

#include "model/texts.h"
#include "parser/interpret.h"
#include "runtime/javatext.h"
#include "runtime/messages.h"
#include "tests/support/designs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace {

class Console final : public runtime::OutputSink
{
public:
    void write(std::string_view text) override { output += text; }
    std::string output;
};

// Typed input: one line per request, then the end (or a cancel).
class Keyboard final : public runtime::InputSource
{
public:
    explicit Keyboard(std::string text, bool cancelAtEnd = false)
        : m_text(std::move(text)), m_cancel(cancelAtEnd)
    {
    }
    Status read(std::string& text) override
    {
        ++requests;
        if (m_pos >= m_text.size())
            return m_cancel ? Status::Cancelled : Status::End;
        const std::size_t end = std::min(m_text.find('\n', m_pos), m_text.size() - 1) + 1;
        text = m_text.substr(m_pos, end - m_pos);
        m_pos = end;
        return Status::Text;
    }
    int requests = 0;

private:
    std::string m_text;
    std::size_t m_pos = 0;
    bool m_cancel;
};

std::unique_ptr<TBlock> design(const char* source)
{
    std::unique_ptr<TBlock> root = ParseText(source);
    makeDesignRoot(*root);
    return root;
}

struct Outcome
{
    std::string output;
    runtime::RunState state = runtime::RunState::Running;
    int status = 0;
    std::string error;
    std::vector<std::string> problems;
    std::uint64_t steps = 0;
    std::map<const TElement*, std::uint64_t> counts; // as the run counted them
    std::vector<std::string> variables;              // "name = value" where the run ended
};

// Input in pieces of a fixed number of bytes, as a pipe may deliver it.
class Trickle final : public runtime::InputSource
{
public:
    Trickle(std::string text, std::size_t piece) : m_text(std::move(text)), m_piece(piece) {}
    Status read(std::string& text) override
    {
        if (m_pos >= m_text.size())
            return Status::End;
        text = m_text.substr(m_pos, m_piece);
        m_pos += text.size();
        return Status::Text;
    }

private:
    std::string m_text;
    std::size_t m_piece;
    std::size_t m_pos = 0;
};

// Runs the design a step at a time (`slice` 0), as single steps and a watched run go, or in slices of
// `slice` steps, as a run goes that nobody watches. Stepping, the run's own counts must be those of the
// steps' results.
Outcome run(const TBlock& root, runtime::InputSource& input, std::uint64_t slice = 0)
{
    constexpr std::uint64_t kLimit = 1'000'000;
    Outcome out;
    const runtime::CheckResult checked = runtime::Check(root);
    for (const runtime::Problem& p : checked.problems)
        out.problems.push_back(p.message);
    if (!checked.program)
        return out;
    Console console;
    runtime::Run r(checked.program, console, input);
    std::map<const TElement*, std::uint64_t> stepped;
    while (r.state() == runtime::RunState::Running && r.steps() < kLimit) {
        if (slice == 0) {
            const runtime::StepResult result = r.step();
            if (result.executed)
                ++stepped[result.executed.element];
        } else {
            r.runSteps(std::min(slice, kLimit - r.steps()));
        }
    }
    out.output = console.output;
    out.state = r.state();
    out.status = r.exitStatus();
    if (r.state() == runtime::RunState::Failed)
        out.error = r.error().message + " / " + r.error().javaException;
    out.steps = r.steps();
    for (const auto& [element, count] : r.elementRuns())
        out.counts[element.element] = count;
    if (slice == 0) {
        EXPECT_EQ(out.counts, stepped);
    }
    for (const runtime::Variable& v : r.variables())
        out.variables.push_back(v.name + " = " + v.value);
    return out;
}

Outcome run(const TBlock& root, const std::string& input = {}, std::uint64_t slice = 0)
{
    Keyboard keyboard(input);
    return run(root, keyboard, slice);
}

Outcome run(const char* source, const std::string& input = {})
{
    return run(*design(source), input);
}

struct Case
{
    const char* name;
    const char* source;
    const char* input;
    const char* output;
    int status;
    const char* failing; // part of the error message: the failing element's text and Java's exception
};

const Case kCases[] = {
    {"wrapping",
     "int a = 2147483647; a = a + 1; long b = 9223372036854775807L; b++;"
     "System.out.println(a + \" \" + b); System.out.println(46341 * 46341);"
     "System.out.println(Integer.MIN_VALUE / -1 + \" \" + Integer.MIN_VALUE % -1 + \" \" + "
     "Math.abs(Integer.MIN_VALUE));"
     "char c = 65535; c++; System.out.println((int) c); System.out.println(1 << 33);"
     "System.out.println(1L << 65); System.out.println(-17 >> 2); System.out.println(-17 >>> 28);"
     "System.out.println(-17L >>> 60);",
     "", "-2147483648 -9223372036854775808\n-2147479015\n-2147483648 0 -2147483648\n0\n2\n2\n-5\n15\n15\n", 0,
     nullptr},
    {"division",
     "System.out.println(-7 / 2 + \" \" + -7 % 2 + \" \" + 7 % -2);"
     "System.out.println(-7.5 % 2 + \" \" + 7.5 % -2 + \" \" + 1.0 / 0 + \" \" + -1 / 0.0 + \" \" + 0.0 / 0);"
     "System.out.println(10 / 4 + \" \" + 10 / 4.0 + \" \" + 10L / 3);",
     "", "-3 -1 1\n-1.5 1.5 Infinity -Infinity NaN\n2 2.5 3\n", 0, nullptr},
    {"casts",
     "System.out.println((int) 3.99 + \" \" + (int) -3.99 + \" \" + (int) Double.NaN + \" \" + (int) 1e20);"
     "System.out.println((long) -1e30 + \" \" + (int) 3000000000L + \" \" + (char) 66.7 + \" \" + (int) 'a');"
     "System.out.println(Math.round(2.5) + \" \" + Math.round(-2.5) + \" \" + "
     "Math.round(0.49999999999999994) + "
     "\" \" + Math.round(5));"
     "double d = 7; int x = 7; x += 3.9; System.out.println(d / 2 + \" \" + x);",
     "", "3 -3 0 2147483647\n-9223372036854775808 -1294967296 B 97\n3 -2 0 5\n3.5 10\n", 0, nullptr},
    {"Math and StrictMath",
     "System.out.println(Math.cbrt(27) + \" \" + StrictMath.exp(1.0) + \" \" + Math.exp(1.0) + \" \" + "
     "Math.sinh(1) + "
     "\" \" + StrictMath.round(5) + \" \" + StrictMath.PI);"
     "System.out.println(Math.log1p(1e-10) + \" \" + Math.expm1(1e-10) + \" \" + StrictMath.pow(2, 0.5) + \" "
     "\" + "
     "Math.tanh(0.5) + \" \" + Math.cosh(-2) + \" \" + StrictMath.hypot(3, 4));",
     "",
     "3.0 2.7182818284590455 2.718281828459045 1.1752011936438014 5 3.141592653589793\n"
     "9.999999999500001E-11 1.00000000005E-10 1.4142135623730951 0.46211715726000974 3.7621956910836314 "
     "5.0\n",
     0, nullptr},
    {"concatenation",
     "System.out.println(\"\" + 'a' + 1); System.out.println(1 + 2 + \"x\" + 1 + 2);"
     "System.out.println('a' + 'b' + \"c\"); String s = null; System.out.println(s + true + 2.0 + 'c' + 10L);"
     "char c = 'x'; c += 1; System.out.println(c + 1); System.out.println((char) (c + 1));"
     "System.out.println(\"a\" + 1 + 2.5 + -0.0);",
     "", "a1\n3x12\n195c\nnulltrue2.0c10\n122\nz\na12.5-0.0\n", 0, nullptr},
    {"doubles",
     "System.out.println(1.0 + \" \" + 0.1 + \" \" + 1e7 + \" \" + 1.0E-5 + \" \" + 100.0 / 3);"
     "System.out.println(123456789.0 + \" \" + 1234567.0 + \" \" + 0.001 + \" \" + 0.0001 + \" \" + 1e21);"
     "System.out.println(2e-3 + \" \" + 1e23 + \" \" + 4.9e-324 + \" \" + Double.MAX_VALUE + \" \" + (0.1 + "
     "0.2));"
     "System.out.println(9999999.0 + \" \" + 10000000.5 + \" \" + 1.0 / 3 * 3 + \" \" + Math.sqrt(2));",
     "",
     "1.0 0.1 1.0E7 1.0E-5 33.333333333333336\n1.23456789E8 1234567.0 0.001 1.0E-4 1.0E21\n"
     "0.002 1.0E23 4.9E-324 1.7976931348623157E308 0.30000000000000004\n"
     "9999999.0 1.00000005E7 1.0 1.4142135623730951\n",
     0, nullptr},
    {"strings",
     "String s = \"Hallo Welt\";"
     "System.out.println(s.length() + \" \" + s.charAt(4) + \" \" + s.substring(6) + \" \" + s.substring(0, "
     "5));"
     "System.out.println(s.indexOf(\"l\") + \" \" + s.indexOf('W') + \" \" + s.indexOf(\"xyz\") + \" \" + "
     "s.toUpperCase() + \" \" + s.toLowerCase());"
     "System.out.println(\"b\".compareTo(\"a\") + \" \" + \"apple\".compareTo(\"b\") + \" \" + "
     "\"ab\".compareTo(\"abc\") + \" \" + \"  x \".trim() + \"|\" + \"\".isEmpty());"
     "System.out.println(s.equals(\"Hallo Welt\") + \" \" + Integer.parseInt(\"-42\") + \" \" + "
     "Double.parseDouble(\"2.5e2\") + \" \" + String.valueOf(7) + String.valueOf(true));",
     "", "10 o Welt Hallo\n2 6 -1 HALLO WELT hallo welt\n1 -1 -1 x|true\ntrue -42 250.0 7true\n", 0, nullptr},
    {"identity",
     "String a = \"hal\"; String b = \"lo\"; String c = a + b; System.out.println(c == \"hallo\");"
     "System.out.println(c.equals(\"hallo\")); System.out.println(\"hal\" + \"lo\" == \"hallo\");"
     "System.out.println(c.substring(0) == c); System.out.println(c.trim() == c);"
     "System.out.println(c.substring(5) == \"\" && \"  \".trim() == \"\" && new String() != \"\");",
     "", "false\ntrue\ntrue\ntrue\ntrue\ntrue\n", 0, nullptr},
    {"short-circuit",
     "int n = 0; boolean b = n != 0 && 10 / n > 1; System.out.println(b); b = n == 0 || 10 / n > 1;"
     "System.out.println(b); int calls = 0; b = n > 0 & (calls = calls + 1) > 0;"
     "System.out.println(b + \" \" + calls); System.out.println(n == 0 ? \"null\" : \"\" + 10 / n);",
     "", "false\ntrue\nfalse 1\nnull\n", 0, nullptr},
    {"scoping",
     "int x = 1; if (x > 0) { int y = 2; x = x + y; } else { int y = 3; x = x - y; } int y = 10;"
     "System.out.println(x + y); int i; for (i=1;i<=3;i=i+1) { int q = i * i; System.out.print(q + \" \"); }"
     "System.out.println(i);",
     "", "13\n1 4 9 4\n", 0, nullptr},
    {"loops",
     "int k = 0; while (k < 3) { k++; } do { k = k * 2; } while (k < 20); System.out.println(k); int s = 0;"
     "int i; for (i=1;i<=10;i=i+1) { if (i % 2 == 0) { continue; } if (i > 7) { break; } s = s + i; }"
     "System.out.println(s + \" \" + i);",
     "", "24\n16 9\n", 0, nullptr},
    {"counting variable local to the loop",
     "for (i=1;i<=2;i=i+1) { System.out.print(i); } for (i=3;i<=4;i=i+1) { System.out.print(i); }", "",
     "1234", 0, nullptr},
    {"arrays",
     "double[] d = {1, 2.5, 3}; String[] w = new String[2]; char[] cs = {'h', 'i'};"
     "boolean[] f = new boolean[1]; w[0] = \"x\"; w[0] += \"y\"; d[1]++;"
     "System.out.println(d[0] + d[1] + \" \" + w[0] + w[1] + \" \" + f[0]); System.out.println(cs);",
     "", "4.5 xynull false\nhi\n", 0, nullptr},
    {"input",
     "Scanner sc = new Scanner(System.in); int n = sc.nextInt(); String rest = sc.nextLine();"
     "String line = sc.nextLine(); double d = sc.nextDouble();"
     "System.out.println(n + \"[\" + rest + \"]\" + line + d); int sum = 0;"
     "while (sc.hasNextInt()) { sum = sum + sc.nextInt(); }"
     "System.out.println(sum + \" \" + sc.next() + \" \" + sc.hasNext());",
     "5 rest\nzweite Zeile\n2.5e1\n1 2 3,000 -4 ende\n", "5[ rest]zweite Zeile25.0\n2999 ende false\n", 0,
     nullptr},
    {"scanner tokens",
     "Scanner sc = new Scanner(System.in); int a = sc.nextInt(); int b = sc.nextInt(); boolean big = "
     "sc.hasNextInt();"
     "String t = sc.next(); double x = sc.nextDouble(); double y = sc.nextDouble(); double z = "
     "sc.nextDouble();"
     "String r = sc.nextLine(); String l = sc.nextLine(); System.out.println(a + \" \" + b + \" \" + big + "
     "\" \" + t + "
     "\" \" + x + \" \" + y + \" \" + z + \" [\" + r + \"] [\" + l + \"] \" + sc.hasNextLine());",
     "1,000 +5 2147483648\n1e3 .5 NaN\r\nx", "1000 5 false 2147483648 1000.0 0.5 NaN [] [x] false\n", 0,
     nullptr},
    {"printf",
     "System.out.printf(\"%.2f|%.2f|%.0f|%.0f|%.1f|%10.3f|%-8d|%08.2f|%,d|%+d|%e|%x|%s|%b|%c|%n\", 0.125, "
     "1.005, "
     "2.5, 0.5, 1.45, Math.PI, 42, -3.14159, 1234567, 5, 12345.678, -1, null, null, 65);"
     "System.out.println(String.format(\"%5.1f|%s|%s|%2$s\", 99.95, 'x', 10L));",
     "",
     "0.13|1.01|3|1|1.5|     3.142|42      |-0003.14|1,234,567|+5|1.234568e+04|ffffffff|null|false|A|\n"
     "100.0|x|10|x\n",
     0, nullptr},
    {"printf writes up to a missing value", "System.out.printf(\"%d %d\", 1);", "", "1 ", 1,
     "java.util.MissingFormatArgumentException: Format specifier '%d'"},
    {"exit status", "System.out.println(\"vorher\"); System.exit(3); System.out.println(\"nachher\");", "",
     "vorher\n", 3, nullptr},
    {"input that is no number",
     "Scanner sc = new Scanner(System.in); System.out.println(\"Zahl?\"); int n = sc.nextInt();", "zwei\n",
     "Zahl?\n", 1, "\x84int n = sc.nextInt()\x93 / java.util.InputMismatchException"},
    {"end of input",
     "Scanner sc = new Scanner(System.in); int n = sc.nextInt(); System.out.println(n);"
     "String l = sc.nextLine(); System.out.println(\"[\" + l + \"]\"); l = sc.nextLine();",
     "7", "7\n", 1, "\x84String l = sc.nextLine()\x93 / java.util.NoSuchElementException: No line found"},
    {"array index", "int[] a = new int[5]; System.out.println(\"vorher \" + a[4] + a.length); a[5] = 1;", "",
     "vorher 05\n", 1,
     "\x84"
     "a[5] = 1\x93 / java.lang.ArrayIndexOutOfBoundsException: Index 5 out of bounds for length 5"},
    {"substring", "String s = \"abc\"; System.out.println(s.substring(2, 5));", "", "", 1,
     "java.lang.StringIndexOutOfBoundsException: begin 2, end 5, length 3"},
    // A JDK words it by how it keeps the string: one byte a character up to U+00FF, else two.
    {"charAt of a Latin-1 string", "String s = \"\xe4\"; s.charAt(4);", "", "", 1,
     "java.lang.StringIndexOutOfBoundsException: String index out of range: 4"},
    {"charAt of a wider string", "String s = \"\\u0141\"; s.charAt(4);", "", "", 1,
     "java.lang.StringIndexOutOfBoundsException: index 4, length 1"},
    {"codePointAt", "String s = \"a\"; s.codePointAt(1);", "", "", 1,
     "java.lang.StringIndexOutOfBoundsException: index 1, length 1"},
    {"parseInt", "System.out.println(Integer.parseInt(\"12x\"));", "", "", 1,
     "java.lang.NumberFormatException: For input string: \"12x\""},
    // Java's report shows the characters themselves, in UTF-8; the German message (code page 1252)
    // spells a character it cannot hold as the design's text must.
    {"parseInt of letters beyond code page 1252", "Integer.parseInt(\"\\u0141\xe4?\");", "", "", 1,
     "\x84\\u0141\xe4?\x93 ist keine Zahl in \x84Integer.parseInt(\"\\u0141\xe4?\")\x93 / "
     "java.lang.NumberFormatException: For input string: \"\xc5\x81\xc3\xa4?\""},
    {"division in a condition", "int z = 0; if (10 / z > 1) { z = 1; }", "", "", 1,
     "Division durch null in \x84"
     "10 / z > 1\x93 / java.lang.ArithmeticException: / by zero"},
    {"null", "String s = null; System.out.println(s + \"!\"); System.out.println(s.length());", "", "null!\n",
     1, "\x84System.out.println(s.length())\x93 / java.lang.NullPointerException"},
    // Operands read from slots, constants, widened locals and nodes; stores into locals and arrays of
    // every kind, postfix and prefix forms, and an array variable replaced inside its own store.
    {"operands and stores",
     "long s = 0; int i = 7; int j = -3; double d = 0.5; long big = 9007199254740993L; char c = 'A';"
     "s = s + i; s += i * j; s = 2 * s - i; s = s - big;"
     "d = d + i; d = d * big; d = 3 - d / j; d = big + d;"
     "int k = i++ + i; int m = ++i * 2; int n = i-- - --i;"
     "c++; int e = c + 1; c += 2;"
     "boolean b = i < j; boolean f = b ^ true; f &= i >= 7;"
     "int q = 100; q /= j; int r = 100; r %= j; r = 17 % r;"
     "long w = 1; w <<= 40; w = w >> 3; int h = -1 >>> 28;"
     "System.out.println(s + \" \" + d + \" \" + k + \" \" + m + \" \" + n + \" \" + c + \" \" + e + \" \" + "
     "b + "
     "\" \" + f + \" \" + q + \" \" + r + \" \" + w + \" \" + h);"
     "int[] a = new int[4]; a[1] = 5; a[i - 6] = a[1] + 2; a[j + 5] = q; a[3] = a[a[1] - 4] * 3; int t = "
     "a[2];"
     "boolean[] z = new boolean[3]; z[2] = true; z[t % 3 + 2] = !z[2];"
     "long[] L = new long[2]; L[1] = L[0] + i; L[0] = L[1] * 3 - 1;"
     "double[] D = new double[2]; D[1] = i; D[0] = D[1] / 2;"
     "char[] C = new char[2]; C[0] = 'x'; C[1] = C[0]; C[1]++;"
     "int[] p = new int[2]; int[] o = new int[2]; p[0] = (p = o)[1] + 1;"
     "int u = 0; int[] g = {10, 20, 30}; g[u] = g[u++] + u; g[u] = u++;"
     "System.out.println(a[0] + \",\" + a[1] + \",\" + a[2] + \",\" + a[3] + \" \" + z[0] + z[1] + z[2] + \" "
     "\" + "
     "L[0] + \",\" + L[1] + \" \" + D[0] + \",\" + D[1] + \" \" + C[0] + C[1] + \" \" + p[0] + o[0] + \" \" "
     "+ g[0] + "
     "\",\" + g[1] + \",\" + g[2] + \" \" + u);",
     "",
     "-9007199254741028 3.1525197391593476E16 15 18 2 D 67 false true -33 0 137438953472 15\n"
     "0,7,-33,0 falsefalsefalse 20,7 3.5,7.0 xy 00 11,1,30 2\n",
     0, nullptr},
    // Counting loops whose test takes over the counter's step, and loops that count by hand, one of them
    // past the end of int.
    {"counting",
     "int c = 0; for (int i = 2147483640; i > 0; i++) { c++; } int last = 0;"
     "for (int k = 10; k >= 1; k--) { c = c * 2 - k; last = k; } for (int k = 0; k < 10; k += 4) { c += k; }"
     "int n = 3; for (int k = n; k <= n * 2; k = k + 1) { c = c - k; }"
     "int st = 3; int j = 40; while (j > n) { c += j; j = j - st; } System.out.println(c + \" \" + last + \" "
     "\" + j);",
     "", "-745 1 1\n", 0, nullptr},
    {"division by zero stored", "int zero = 0; int x = 5; x = x / zero;", "", "", 1,
     "\x84x = x / zero\x93 / java.lang.ArithmeticException: / by zero"},
    {"remainder by zero of a long", "long t = 5; int z = 0; t %= z;", "", "", 1,
     "\x84t %= z\x93 / java.lang.ArithmeticException: / by zero"},
    {"store below an array", "int[] a = new int[4]; int j = -3; a[j] = 1;", "", "", 1,
     "\x84"
     "a[j] = 1\x93 / java.lang.ArrayIndexOutOfBoundsException: Index -3 out of bounds for length 4"},
    {"constant stored beyond an array", "boolean[] b = new boolean[2]; int k = 2; b[k] = true;", "", "", 1,
     "\x84"
     "b[k] = true\x93 / java.lang.ArrayIndexOutOfBoundsException: Index 2 out of bounds for length 2"},
    {"read beyond an array in a loop",
     "int[] a = {4, 5, 6}; int s = 0; for (int i = 0; i <= 3; i++) { s = s + a[i]; System.out.println(s); }",
     "", "4\n9\n15\n", 1,
     "\x84s = s + a[i]\x93 / java.lang.ArrayIndexOutOfBoundsException: Index 3 out of bounds for length 3"},
    // Elements of local arrays at local indexes, read and given constants, in place.
    {"constants stored at local indexes",
     "int i = 1; int j = 2; int[] a = new int[3]; a[i] = 7; long[] l = new long[3]; l[i] = 5000000000L;"
     "double[] d = new double[3]; d[i] = 2.5; char[] c = new char[3]; c[i] = 'q'; c[j] = 65;"
     "boolean[] b = new boolean[3]; b[i] = true; b[j] = b[i]; System.out.println(a[i] + \" \" + l[i] + \" \" "
     "+ d[i] + \" \" + c[i] + c[j] + \" \" + b[j] + \" \" + a[i - 1] + \" \" + l[j]); int[] n = null; n[i] = "
     "3;",
     "", "7 5000000000 2.5 qA true 0 0\n", 1, "\x84n[i] = 3\x93 / java.lang.NullPointerException"},
    // Input read inside loops that a slice runs pass by pass: the slice ends after each read.
    {"input in loops",
     "Scanner sc = new Scanner(System.in); int s = 0; for (int i = 0; i < 3; i++) { s += sc.nextInt(); s = s "
     "* "
     "2; } int t = 0; while (t < 5) { System.out.print(sc.next()); t = t + 2; } System.out.println(\" \" + "
     "s);",
     "1 2 3 a b c d", "abc 22\n", 0, nullptr},
    // Loops whose bodies branch: tests inside a pass, a test that reads input, a break that leaves the
    // pass, nested loops, and a bubble sort.
    {"branches in loops",
     "Scanner sc = new Scanner(System.in); int s = 0; int n = 0; for (int i = 0; i < 6; i++) { if (i % 2 == "
     "0) "
     "{ s += i; } else { s -= 1; } if (sc.hasNextInt()) { n += sc.nextInt(); } } int k = 0; while (k < 10) { "
     "if (k > 6) { break; } k = k + 3; } for (int a = 0; a < 3; a++) { for (int b = a; b < 3; b++) { s = s * "
     "2 + b; } } int[] f = {5, 1, 4, 2, 3}; for (int i = 0; i < 4; i++) { for (int j = 0; j < 4 - i; j++) { "
     "if (f[j] > f[j + 1]) { int t = f[j]; f[j] = f[j + 1]; f[j + 1] = t; } } } System.out.println(s + \" \" "
     "+ n + \" \" + k + \" \" + f[0] + f[1] + f[2] + f[3] + f[4]);",
     "4 5 x", "234 9 9 12345\n", 0, nullptr},
    // More shapes of passes: a do-while, a continue, an empty body, a while loop with two statements
    // that advance its counter, and a loop that ends the program.
    {"shapes of loops",
     "int s = 0; int k = 0; do { s += k; k = k + 2; } while (k < 9); for (int i = 0; i < 5; i++) { if (i == "
     "2) { "
     "continue; } s = s * 3 + i; } int e = 0; for (int i = 0; i < 4; i++) { } int w = 10; while (w > 0) { if "
     "(w "
     "% 3 == 0) { w = w - 1; } else { w = w - 2; } } System.out.println(s + \" \" + e + \" \" + w + \" \" + "
     "k); int z = 0; while (z < 3) { System.out.print(z); z = z + 1; }",
     "", "1642 0 0 10\n012", 0, nullptr},
    {"store into null", "int[] n = null; int v = 2; n[0] = v;", "", "", 1,
     "\x84n[0] = v\x93 / java.lang.NullPointerException"},
};

// Each program runs step by step and in slices of several sizes: the same output, end, steps, counts and
// variables either way.
TEST(RunLikeJava, TableOfPrograms)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        const std::unique_ptr<TBlock> root = design(c.source);
        const Outcome out = run(*root, c.input);
        EXPECT_TRUE(out.problems.empty()) << (out.problems.empty() ? "" : out.problems[0]);
        EXPECT_EQ(out.output, c.output);
        EXPECT_EQ(out.status, c.status);
        if (c.failing)
            EXPECT_NE(out.error.find(c.failing), std::string::npos) << out.error;
        else
            EXPECT_EQ(out.state, runtime::RunState::Finished) << out.error;
        for (const std::uint64_t slice : {1u, 3u, 65536u}) {
            SCOPED_TRACE(slice);
            const Outcome sliced = run(*root, c.input, slice);
            EXPECT_EQ(sliced.output, out.output);
            EXPECT_EQ(sliced.state, out.state);
            EXPECT_EQ(sliced.status, out.status);
            EXPECT_EQ(sliced.error, out.error);
            EXPECT_EQ(sliced.steps, out.steps);
            EXPECT_EQ(sliced.counts, out.counts);
            EXPECT_EQ(sliced.variables, out.variables);
        }
    }
}

// What the compiler refuses is reported before anything runs; what it accepts runs.
TEST(CheckLikeJava, RefusesWhatTheCompilerRefuses)
{
    const char* refused[] = {
        "int x = 5.0;",
        "long l = 5; int x = l;",
        "int n = 3; char c = n + 1;",
        "String s = 5;",
        "boolean b = 1;",
        "int x = 1; if (x) { }",
        "int x = 5; int x = 6;",
        "int x = 1; if (x > 0) { int y = 2; } System.out.println(y);",
        "int x; x++;",
        "int x; boolean b = true; if (b) { x = 1; } System.out.println(x);",
        "final int K = 3; K = 4;",
        "int x = 2147483648;",
        "int x = 1; x;",
        "break;",
        "int x = 0; while (true) { x++; } System.out.println(x);",
        "while (false) { }",
        "int i; for (i=1;i<=3;i=i+1) { break; System.out.println(i); }",
        "System.out.println(null);",
        "char c; for (c='a';c<='e';c=c+1) { }",
        "String s = \"a\"; s -= \"b\";",
        "int[] a = {1, 2}; String t = a;",
        "System.out.println(\"a\" == 1);",
        "Eingabe x;",
        "x := 5;",
        "ausgeben(summe);",
        "int x; boolean c = true; while (c) { x = 1; c = false; } System.out.println(x);",
        "final boolean T = true; while (T) { } System.out.println(1);",
        "int x = 0; do { x++; } while (1 < 2); System.out.println(x);",
        "long a = 1; int b = Math.round(2.5);",
        "int i; for (i=1;i<=3;i=i+1) { } for (i=1;i<=3;i=i+1) { int i = 2; }",
        "int k = 1; if (k > 0) { int j = 2; } else { int k = 3; }",
    };
    for (const char* source : refused) {
        SCOPED_TRACE(source);
        const Outcome out = run(source);
        EXPECT_FALSE(out.problems.empty());
        EXPECT_TRUE(out.output.empty());
    }
}

// Literals at the ends of their types' ranges, and Double.parseDouble beyond them, as javac and a JDK
// take them.
TEST(CheckLikeJava, NumeralsAtTheEndsOfTheirRange)
{
    const std::pair<const char*, const char*> refused[] = {
        {"double d = 1e309;", runtime::msg::kNumberTooLarge},
        {"double d = 0x1p1024;", runtime::msg::kNumberTooLarge},
        {"double d = 2e-324;", runtime::msg::kNumberTooSmall},
        {"double d = 0x1p-1075;", runtime::msg::kNumberTooSmall},
        {"long x = 0x1_0000_0000_0000_0000L;", runtime::msg::kNumberTooLarge},
        {"int x = 0x1_0000_0000;", runtime::msg::kNumberTooLarge},
        {"int x = 040000000000;", runtime::msg::kNumberTooLarge},
    };
    for (const auto& [source, message] : refused) {
        SCOPED_TRACE(source);
        const Outcome out = run(source);
        ASSERT_FALSE(out.problems.empty());
        EXPECT_NE(out.problems[0].find(message), std::string::npos) << out.problems[0];
    }
    const Outcome out = run(
        "System.out.println(0xFFFFFFFF + \" \" + 0x7fffffffffffffffL + \" \" + 0b1010 + \" \" + 017 + \" \" "
        "+ "
        "1_000_000 + \" \" + 0xFFFF_FFFF_FFFF_FFFFL + \" \" + 1.7976931348623157e308 + \" \" + 4.9e-324 + \" "
        "\" + "
        "0x1p-1074 + \" \" + 0x1.fffffffffffffp1023 + \" \" + 2.4703282292062328e-324 + \" \" + 0x1.8p-1075);"
        "System.out.println(Double.parseDouble(\"1e-400\") + \" \" + Double.parseDouble(\"1e309\") + \" \" + "
        "Double.parseDouble(\"-1.7976931348623159e308\") + \" \" + Double.parseDouble(\"0x1.8p-1075\") + \" "
        "\" + "
        "Double.parseDouble(\"  +3e-324d \") + \" \" + Double.parseDouble(\"-0x1p1024\") + \" \" + "
        "Double.parseDouble(\"000.000012e+99999999999999999999\") + \" \" + "
        "Double.parseDouble(\"-1234.5e-99999999999999\"));");
    EXPECT_TRUE(out.problems.empty()) << (out.problems.empty() ? "" : out.problems[0]);
    EXPECT_EQ(out.output, "-1 9223372036854775807 10 15 1000000 -1 1.7976931348623157E308 4.9E-324 4.9E-324 "
                          "1.7976931348623157E308 4.9E-324 4.9E-324\n"
                          "0.0 Infinity -Infinity 4.9E-324 4.9E-324 -Infinity Infinity -0.0\n");
}

TEST(CheckLikeJava, AcceptsWhatTheCompilerAccepts)
{
    const struct
    {
        const char* source;
        const char* output;
    } accepted[] = {
        {"int x; if (true) { x = 1; } System.out.println(x);", "1\n"},
        {"int x; while (true) { x = 5; break; } System.out.println(x);", "5\n"},
        {"int x; boolean b = false; if (b && (x = 1) > 0) { System.out.println(x); } else { x = 2; }"
         "System.out.println(x);",
         "2\n"},
        {"char c = 65; char d = 'a' + 1; System.out.println(c + \"\" + d);", "Ab\n"},
        {"final int K = 3; char c = K; System.out.println(c == 3);", "true\n"},
        {"System.out.println(true ? 'a' : 0); System.out.println(false ? 1 : 'b');", "a\nb\n"},
        {"int x = -2147483648; long y = -9223372036854775808L; System.out.println(x + \" \" + y);",
         "-2147483648 -9223372036854775808\n"},
        {"var n = 5; var s = \"x\"; System.out.println(s + n);", "x5\n"},
        {"int x = 1; x += (x = 5); int y = 7; y = y++ + ++y; System.out.println(x + \" \" + y);", "6 16\n"},
        {"int i = 0; int[] a = new int[3]; a[i++] = i; a[i] = i = 2; System.out.println(a[0] + \" \" + a[1] "
         "+ "
         "\" \" + i);",
         "1 2 2\n"},
        {"int a = 5; if (a > 3) a = 0; else a = 1; System.out.println(a);", "0\n"},
        {"System.out.println(args.length);", "0\n"},
        {"int x; boolean c = true; do { x = 1; } while (!c); System.out.println(x);", "1\n"},
        {"int x = 0; if (true) { return; } System.out.println(x);", ""},
        {"int x = 0; while (true) { x++; if (x > 2) { break; } } System.out.println(x);", "3\n"},
        {"int n = Math.round(5); long m = Math.round(2.5); System.out.println(n + m);", "8\n"},
        // A name is free again once the block that declared it has ended.
        {"int x = 1; if (x > 0) { int y = 2; x += y; } else { int y = 3; x -= y; } int y = 4; "
         "System.out.println(x + y);",
         "7\n"},
        {"int s = 0; for (int i = 1; i <= 3; i++) { int t = i * i; s += t; } int t = 100; int i = 5; "
         "System.out.println(s + t + i);",
         "119\n"},
    };
    for (const auto& c : accepted) {
        SCOPED_TRACE(c.source);
        const Outcome out = run(c.source);
        EXPECT_TRUE(out.problems.empty()) << (out.problems.empty() ? "" : out.problems[0]);
        EXPECT_EQ(out.output, c.output);
    }
}

// Every text that is not Java is listed, each with its element, before anything runs.
TEST(CheckLikeJava, ListsEveryTextThatIsNotJava)
{
    auto root = design("System.out.println(1); Eingabe x; lies y ein; while (x ist gross) { ausgeben(x); }");
    // A loop inside a statement's text would make one step endless: the loop elements are for loops.
    append(*root, TAnweisung::Create("int a = 0; while (a < 3) a++"));
    append(*root, TAnweisung::Create("// nur ein Kommentar"));
    const runtime::CheckResult checked = runtime::Check(*root);
    EXPECT_FALSE(checked.program);
    ASSERT_EQ(checked.problems.size(), 5u);
    const TElement* second = root->FirstChild->Next.get();
    const TElement* loop = second->Next->Next.get();
    const TElement* expected[] = {second, second->Next.get(), loop,
                                  asCondition(loop)->branch(1)->FirstChild.get(), loop->Next.get()};
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(checked.problems[i].element.element, expected[i]) << i;
    EXPECT_NE(checked.problems[0].message.find("\x84int x = sc.nextInt();\x93"), std::string::npos);
    EXPECT_NE(checked.problems[1].message.find("\x84int y = sc.nextInt();\x93"), std::string::npos);
    EXPECT_NE(checked.problems[2].message.find("\x84x ist gross\x93"), std::string::npos);
}

// One check lists every problem of the design: the pseudo-code of school books, each with the Java to
// write instead, and after it what the rest of the design gets wrong (here a variable never declared).
// The variable that pseudo-code seems to declare raises nothing more.
TEST(CheckLikeJava, ListsPseudoCodeWithTheJavaToWriteAndTheProblemsAfterIt)
{
    auto root = design("Eingabe zahl;");
    append(*root, TAnweisung::Create("summe ? zahl * 2")); // "summe <- zahl * 2", the arrow became '?'
    append(*root, TAnweisung::Create("ausgeben(summe)"));
    append(*root, TAnweisung::Create("int doppelt = summe + zahl"));
    auto* decision = append(*root, TIf::Create("wenn zahl > 0 dann"));
    append(*decision->branch(1), TAnweisung::Create("gib \"positiv\" aus"));
    append(*root, TAnweisung::Create("Ausgabe: doppelt"));
    const runtime::CheckResult checked = runtime::Check(*root);
    EXPECT_FALSE(checked.program);
    std::vector<const TElement*> elements;
    std::vector<std::string> messages;
    for (const runtime::Problem& p : checked.problems) {
        elements.push_back(p.element.element);
        messages.push_back(p.message);
    }
    const TElement* first = root->FirstChild.get();
    const TElement* assignment = first->Next.get();
    const TElement* output = assignment->Next.get();
    const TElement* declaration = output->Next.get();
    ASSERT_EQ(elements,
              (std::vector<const TElement*>{first, assignment, output, declaration, decision,
                                            decision->branch(1)->FirstChild.get(), decision->Next.get()}));
    const char* expected[] = {"\x84int zahl = sc.nextInt();\x93",
                              "\x84Scanner sc = new Scanner(System.in);\x93",
                              "\x84summe = zahl * 2;\x93",
                              "\x84System.out.println(summe);\x93",
                              "Unbekannte Variable \x84summe\x93",
                              "nur \x84zahl > 0\x93",
                              "\x84System.out.println(\"positiv\");\x93",
                              "\x84System.out.println(doppelt);\x93"};
    const std::size_t in[] = {0, 0, 1, 2, 3, 4, 5, 6};
    for (std::size_t i = 0; i < std::size(expected); ++i)
        EXPECT_NE(messages[in[i]].find(expected[i]), std::string::npos) << messages[in[i]];
}

// Every kind of element whose text does not parse is listed once, the check goes on over the elements
// inside and after it, and the elements after them are checked as usual.
TEST(CheckLikeJava, GoesOnAfterTextsThatDoNotParse)
{
    auto root = design("int n = 0;");
    auto* decision = append(*root, TIf::Create("n >"));
    append(*decision->branch(1), TAnweisung::Create("n = true"));
    auto* loop = append(*root, TWhile::Create(""));
    append(*loop->branch(1), TAnweisung::Create("n++"));
    append(*root, TDoWhile::Create("n <"));
    append(*root, TRepeat::Create("solange n < 3"));
    auto* counting = append(*root, TFor::Create("i = 1 bis"));
    append(*counting->branch(1), TAnweisung::Create("n = n + i"));
    append(*root, TAnweisung::Create("System.out.println(m)"));
    const runtime::CheckResult checked = runtime::Check(*root);
    EXPECT_FALSE(checked.program);
    std::vector<const TElement*> elements;
    for (const runtime::Problem& p : checked.problems)
        elements.push_back(p.element.element);
    const TElement* last = root->FirstChild.get();
    while (last->Next)
        last = last->Next.get();
    // The assignment of a boolean in the decision's branch is found; the counting loop's variable, of a
    // header that did not parse, raises nothing in its body.
    EXPECT_EQ(elements,
              (std::vector<const TElement*>{decision, decision->branch(1)->FirstChild.get(), loop,
                                            loop->Next.get(), loop->Next->Next.get(), counting, last}));
}

// A repeat-until loop runs as its Java text "do { S } while (!(c));" runs: it repeats until c holds,
// and its body is a block of any length with a scope of its own.
TEST(RunLikeJava, RepeatLoopRunsUntilItsCondition)
{
    auto root = design("int x = 0;");
    auto* loop = append(*root, TRepeat::Create("x < 5"));
    append(*loop->branch(1), TAnweisung::Create("int step = 1"));
    append(*loop->branch(1), TAnweisung::Create("x = x + step"));
    append(*root, TAnweisung::Create("System.out.println(x)"));
    EXPECT_EQ(run(*root).output, "1\n");

    loop->Text = "x >= 5";
    append(*loop->branch(1), TAnweisung::Create("x = x * 2"));
    EXPECT_EQ(run(*root).output, "6\n");
}

// Named blocks are comments in the Java text: their variables stay visible after them.
TEST(RunLikeJava, NamedBlocksRunAsTheirSequence)
{
    auto root = design("int a = 5;");
    auto* block = append(*root, TBlock::Create("Teil"));
    append(*block, TAnweisung::Create("int b = a * 2"));
    append(*root, TAnweisung::Create("System.out.println(a + b)"));
    EXPECT_EQ(run(*root).output, "15\n");
}

// One step runs one statement element or tests one condition, and names the element that comes next.
TEST(Run, StepsElementByElement)
{
    auto root = design("int k = 0; while (k < 2) { k++; } for (i=1;i<=1;i=i+1) { }");
    const TElement* decl = root->FirstChild.get();
    const auto* loop = asCondition(decl->Next.get());
    const TElement* body = loop->branch(1)->FirstChild.get();
    const TElement* counting = loop->Next.get();
    const struct
    {
        const TElement* executed;
        int branch;
        const TElement* next;
    } expected[] = {{decl, -1, loop}, {loop, 1, body},     {body, -1, loop},        {loop, 1, body},
                    {body, -1, loop}, {loop, 0, counting}, {counting, 1, counting}, {counting, 0, nullptr}};
    const runtime::CheckResult checked = runtime::Check(*root);
    ASSERT_TRUE(checked.program);
    Console console;
    Keyboard keyboard("");
    runtime::Run r(checked.program, console, keyboard);
    EXPECT_EQ(r.next().element, decl);
    for (const auto& e : expected) {
        const runtime::StepResult s = r.step();
        EXPECT_EQ(s.executed.element, e.executed);
        EXPECT_EQ(s.executed.serial, e.executed->serial());
        EXPECT_EQ(s.branch, e.branch);
        EXPECT_EQ(s.next.element, e.next);
    }
    EXPECT_EQ(r.state(), runtime::RunState::Finished);
    EXPECT_EQ(r.steps(), std::size(expected));
}

// An endless loop never makes a step endless: each test of its condition is a step of its own.
TEST(Run, EndlessLoopStaysSteppable)
{
    auto root = design("while (true) { }");
    const runtime::CheckResult checked = runtime::Check(*root);
    ASSERT_TRUE(checked.program);
    Console console;
    Keyboard keyboard("");
    runtime::Run r(checked.program, console, keyboard);
    for (int i = 0; i < 1000; ++i)
        EXPECT_EQ(r.step().next.element, root->FirstChild.get());
    EXPECT_EQ(r.state(), runtime::RunState::Running);
}

TEST(Run, VariablesInScopeInnermostLast)
{
    auto root = design("int x = 3; String s = \"a\" + x; int[] a = {4, 5}; double d;"
                       "if (x > 0) { char c = 'q'; x = 7; }");
    const runtime::CheckResult checked = runtime::Check(*root);
    ASSERT_TRUE(checked.program);
    Console console;
    Keyboard keyboard("");
    runtime::Run r(checked.program, console, keyboard);
    for (int i = 0; i < 6; ++i)
        r.step();
    // Before "x = 7": c is declared and set, the variables of the outer level come first; main's `args`
    // is not among them.
    const std::vector<runtime::Variable> vars = r.variables();
    ASSERT_EQ(vars.size(), 5u);
    const char* names[] = {"x", "s", "a", "d", "c"};
    for (std::size_t i = 0; i < vars.size(); ++i)
        EXPECT_EQ(vars[i].name, names[i]);
    EXPECT_EQ(vars[0].type, "int");
    EXPECT_EQ(vars[0].value, "3");
    EXPECT_EQ(vars[1].value, "a3");
    EXPECT_EQ(vars[2].type, "int[]");
    EXPECT_EQ(vars[2].value, "int[2]");
    EXPECT_EQ(vars[2].elements, (std::vector<std::string>{"4", "5"}));
    EXPECT_FALSE(vars[3].assigned);
    EXPECT_EQ(vars[4].value, "q");
    EXPECT_EQ(vars[4].depth, 1);
    r.step();
    EXPECT_EQ(r.variables().size(), 4u);
    EXPECT_EQ(r.variables()[0].value, "7");
}

// The program keeps what it needs: it runs after the design is gone.
TEST(Run, ProgramOutlivesTheDesign)
{
    auto root = design("String s = \"x\"; for (i=1;i<=3;i=i+1) { s = s + i; } System.out.println(s);");
    const runtime::CheckResult checked = runtime::Check(*root);
    root.reset();
    ASSERT_TRUE(checked.program);
    Console console;
    Keyboard keyboard("");
    runtime::Run r(checked.program, console, keyboard);
    while (r.step().state == runtime::RunState::Running) {
    }
    EXPECT_EQ(console.output, "x123\n");
}

TEST(Run, CancelledInputStopsTheRun)
{
    auto root =
        design("Scanner sc = new Scanner(System.in); System.out.print(\"Zahl: \"); int n = sc.nextInt();"
               "System.out.println(n);");
    const runtime::CheckResult checked = runtime::Check(*root);
    ASSERT_TRUE(checked.program);
    Console console;
    Keyboard keyboard("", true);
    runtime::Run r(checked.program, console, keyboard);
    while (r.step().state == runtime::RunState::Running) {
    }
    EXPECT_EQ(r.state(), runtime::RunState::Cancelled);
    // The prompt was written before the input was asked for.
    EXPECT_EQ(console.output, "Zahl: ");
    EXPECT_EQ(r.step().state, runtime::RunState::Cancelled);
    EXPECT_EQ(keyboard.requests, 1);
}

// Each Scanner keeps what it took from System.in: a second one sees only what the first left there.
// A scanner's tokens and lines do not depend on how its input arrives: a line, a token, delimiters and
// "\r\n" cut anywhere read as Java reads them whole.
TEST(Run, ScannerInputInPieces)
{
    const auto root =
        design("Scanner sc = new Scanner(System.in); int a = sc.nextInt(); String rest = sc.nextLine();"
               "String w = sc.next(); boolean h = sc.hasNextInt(); String line2 = sc.nextLine();"
               "double d = sc.nextDouble(); long sum = 0; while (sc.hasNextInt()) { sum += sc.nextInt(); }"
               "String tail = \"-\"; if (sc.hasNextLine()) { tail = sc.nextLine(); }"
               "System.out.println(a + \"|\" + rest + \"|\" + w + \"|\" + h + \"|\" + line2 + \"|\" + d + "
               "\"|\" + sum + "
               "\"|\" + tail + \"|\" + sc.hasNext());");
    const std::string input = "  12 abc def\r\nwort  \t 42 x\r\n3.5\n1 2 3\n4 5 zz end\n";
    for (const std::size_t piece : {1u, 2u, 3u, 7u, 64u}) {
        SCOPED_TRACE(piece);
        Trickle trickle(input, piece);
        const Outcome out = run(*root, trickle);
        EXPECT_EQ(out.output, "12| abc def|wort|true|  \t 42 x|3.5|15| zz end|false\n") << out.error;
    }
}

TEST(Run, EachScannerKeepsWhatItRead)
{
    const char* source =
        "Scanner a = new Scanner(System.in); int x = a.nextInt(); Scanner b = new Scanner(System.in);"
        "int y = b.nextInt(); System.out.println(x + y);";
    EXPECT_EQ(run(source, "1\n2\n").output, "3\n");
    EXPECT_NE(run(source, "1 2\n").error.find("NoSuchElementException"), std::string::npos);
}

// What the program writes and reads is UTF-8, so characters beyond code page 1252 come out as Java
// prints them, and a character split between two pieces of input is read whole.
TEST(Run, ConsoleIsUtf8)
{
    EXPECT_EQ(run("char c = 937; System.out.println(c + \"\\u00e4\" + (char) 8364 + \"\xe4\");").output,
              "\u03a9\u00e4\u20ac\u00e4\n");

    class Split final : public runtime::InputSource
    {
    public:
        Status read(std::string& text) override
        {
            static const char* pieces[] = {"Gr\xc3", "\xbc\xc3\x9f e\n"};
            if (m_next == 2)
                return Status::End;
            text = pieces[m_next++];
            return Status::Text;
        }

    private:
        int m_next = 0;
    };
    auto root = design(
        "Scanner sc = new Scanner(System.in); String s = sc.next(); System.out.println(s.length() + s);");
    const runtime::CheckResult checked = runtime::Check(*root);
    ASSERT_TRUE(checked.program);
    Console console;
    Split input;
    runtime::Run r(checked.program, console, input);
    while (r.step().state == runtime::RunState::Running) {
    }
    EXPECT_EQ(console.output, "4Gr\u00fc\u00df\n");
    EXPECT_EQ(r.variables().back().value, "Gr\u00fc\u00df");
}

TEST(DoubleToString, ShortestDigitsInJavasFormat)
{
    const struct
    {
        double value;
        const char* text;
    } cases[] = {
        {1.0, "1.0"},         {0.1, "0.1"},
        {1e7, "1.0E7"},       {9999999.0, "9999999.0"},
        {1e-3, "0.001"},      {9.99e-4, "9.99E-4"},
        {1e-5, "1.0E-5"},     {-0.0, "-0.0"},
        {1e23, "1.0E23"},     {2e-3, "0.002"},
        {5e-324, "4.9E-324"}, {1.7976931348623157e308, "1.7976931348623157E308"},
        {123.456, "123.456"}, {-1234567.5, "-1234567.5"},
        {1e100, "1.0E100"},   {2.2250738585072014E-308, "2.2250738585072014E-308"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(runtime::doubleToString(c.value), c.text);
}

} // namespace
