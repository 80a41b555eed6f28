#include "runtime/javascanner.h"

#include "runtime/javachar.h"
#include "runtime/javatext.h"
#include "runtime/messages.h"
#include "runtime/nodes.h"

namespace runtime {

namespace {

bool isHexDigit(char16_t c)
{
    return hexDigitValue(c) >= 0;
}

bool isLineSeparator(char16_t c)
{
    return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029 || c == 0x0085;
}

std::size_t skipSign(const std::u16string& s)
{
    return !s.empty() && (s[0] == u'-' || s[0] == u'+') ? 1 : 0;
}

// The whole of `s` from `pos` is a numeral: digit+, or one to three digits (the first not 0) followed by
// groups of the grouping separator and three digits.
bool wholeNumeral(const std::u16string& s, std::size_t pos, char16_t grouping)
{
    std::size_t p = pos;
    while (p < s.size() && isAsciiDigit(s[p]))
        ++p;
    if (p == pos)
        return false;
    if (p == s.size())
        return true;
    if (p - pos > 3 || s[pos] == u'0')
        return false;
    while (p < s.size()) {
        if (p + 4 > s.size() || s[p] != grouping || !isAsciiDigit(s[p + 1]) || !isAsciiDigit(s[p + 2]) ||
            !isAsciiDigit(s[p + 3]))
            return false;
        p += 4;
    }
    return true;
}

// `token`, a number written with the symbols `from`, written with the symbols `to`.
std::u16string withOtherSeparators(const std::u16string& token, const NumberSymbols& from,
                                   const NumberSymbols& to)
{
    std::u16string out = token;
    for (char16_t& c : out) {
        if (c == from.decimal)
            c = to.decimal;
        else if (c == from.grouping)
            c = to.grouping;
    }
    return out;
}

// Hexadecimal: 0[xX] hex* "." hex+ ([pP] [-+]? digit+)?
bool hexadecimalFloat(const std::u16string& s)
{
    if (s.size() <= 2 || s[0] != u'0' || (s[1] != u'x' && s[1] != u'X'))
        return false;
    std::size_t p = 2;
    while (p < s.size() && isHexDigit(s[p]))
        ++p;
    if (p == s.size() || s[p] != u'.')
        return false;
    const std::size_t fraction = ++p;
    while (p < s.size() && isHexDigit(s[p]))
        ++p;
    if (p == fraction)
        return false;
    if (p == s.size())
        return true;
    if (s[p] != u'p' && s[p] != u'P')
        return false;
    ++p;
    if (p < s.size() && (s[p] == u'-' || s[p] == u'+'))
        ++p;
    const std::size_t digits = p;
    while (p < s.size() && isAsciiDigit(s[p]))
        ++p;
    return p > digits && p == s.size();
}

// An exponent's digits from `p` to the end of `s`: [-+]? digit+
bool exponentDigits(const std::u16string& s, std::size_t p)
{
    if (p < s.size() && (s[p] == u'-' || s[p] == u'+'))
        ++p;
    if (p == s.size())
        return false;
    for (; p < s.size(); ++p)
        if (!isAsciiDigit(s[p]))
            return false;
    return true;
}

// Decimal: (numeral | numeral point digit* | point digit+) ([eE] [-+]? digit+)?, with the locale's
// decimal separator as the point
bool decimalFloat(const std::u16string& s, const NumberSymbols& symbols)
{
    std::size_t mantissaEnd = s.find_first_of(u"eE");
    if (mantissaEnd == std::u16string::npos)
        mantissaEnd = s.size();
    else if (!exponentDigits(s, mantissaEnd + 1))
        return false;
    const std::u16string mantissa = s.substr(0, mantissaEnd);
    const std::size_t point = mantissa.find(symbols.decimal);
    if (point == std::u16string::npos)
        return wholeNumeral(mantissa, 0, symbols.grouping);
    for (std::size_t i = point + 1; i < mantissa.size(); ++i)
        if (!isAsciiDigit(mantissa[i]))
            return false;
    if (point == 0)
        return mantissa.size() > 1;
    return wholeNumeral(mantissa.substr(0, point), 0, symbols.grouping);
}

} // namespace

bool matchesInteger(const std::u16string& token, const NumberSymbols& symbols)
{
    return wholeNumeral(token, skipSign(token), symbols.grouping);
}

bool matchesFloat(const std::u16string& token, const NumberSymbols& symbols)
{
    const std::u16string rest = token.substr(skipSign(token));
    if (rest == u"NaN" || rest == u"Infinity" || rest == u"\u221E")
        return true;
    return hexadecimalFloat(rest) || decimalFloat(rest, symbols);
}

std::u16string javaNumberText(const std::u16string& token, const NumberSymbols& symbols)
{
    std::u16string out;
    for (char16_t c : token) {
        if (c == symbols.grouping)
            continue;
        out.push_back(c == symbols.decimal ? u'.' : c);
    }
    return out;
}

JScanner::JScanner() : Obj(Kind::Scanner), m_fromStdin(true) {}

JScanner::JScanner(std::u16string text) : Obj(Kind::Scanner), m_buffer(std::move(text)), m_fromStdin(false)
{
    m_sourceClosed = true;
}

void JScanner::ensureOpen()
{
    if (m_closed)
        throwJava(JavaError::IllegalState, "Scanner closed");
    // What has been read is dropped once it is more than half the buffer, so that the buffer does not
    // grow with the input and moving the rest costs no more than reading it did.
    if (m_position > 8192 && m_position * 2 > m_buffer.size()) {
        m_buffer.erase(0, m_position);
        m_position = 0;
        m_scans = {};
    }
}

template <typename Stop> std::size_t JScanner::scan(Scan kind, std::size_t from, Stop stop)
{
    ScanProgress& memo = m_scans[static_cast<std::size_t>(kind)];
    // Between an earlier start and where it stopped, no character stops this search either.
    const bool known = memo.from <= from && from <= memo.upTo && memo.upTo <= m_buffer.size();
    std::size_t p = known ? memo.upTo : from;
    while (p < m_buffer.size() && !stop(m_buffer[p]))
        ++p;
    memo = {from, p};
    return p;
}

void JScanner::readInput(Machine& m)
{
    if (!m_fromStdin || !m.readStandardInput(m_buffer))
        m_sourceClosed = true;
}

void JScanner::throwFor(Pattern p, const NumberSymbols& symbols)
{
    m_skipped = false;
    if (m_sourceClosed && m_position == m_buffer.size())
        throwJava(JavaError::NoSuchElement);
    std::size_t end = m_position;
    while (end < m_buffer.size() && !isJavaWhitespace(m_buffer[end]))
        ++end;
    const std::u16string token = m_buffer.substr(m_position, end - m_position);
    const char* expected = p == Pattern::Integer ? msg::kNoInteger
                           : p == Pattern::Float ? msg::kNoNumber
                                                 : msg::kNoBoolean;
    // A number written with the other convention ("3.5" where the comma is the decimal separator, or
    // the other way round): the message says which separator this machine's Java expects.
    const NumberSymbols other = symbols.decimal == u'.' ? NumberSymbols{u',', u'.'} : NumberSymbols{};
    if (p == Pattern::Float && matchesFloat(token, other))
        throwJava(JavaError::InputMismatch, {},
                  msg::otherDecimalSeparator(toCp1252(token), symbols.decimal == u',',
                                             toCp1252(withOtherSeparators(token, other, symbols))));
    throwJava(JavaError::InputMismatch, {}, msg::inputMismatch(toCp1252(token), expected));
}

std::optional<std::u16string> JScanner::completeToken(Pattern p, const NumberSymbols& symbols,
                                                      bool& needInput)
{
    needInput = false;
    if (!m_skipped) {
        // Leading delimiters are skipped once; if they run to the end of the buffer, more input could
        // extend them.
        const std::size_t end =
            scan(Scan::Delimiters, m_position, [](char16_t c) { return !isJavaWhitespace(c); });
        if (end > m_position) {
            if (end == m_buffer.size() && !m_sourceClosed) {
                needInput = true;
                return std::nullopt;
            }
            m_skipped = true;
            m_position = end;
        }
    }
    if (m_position == m_buffer.size()) {
        needInput = !m_sourceClosed;
        return std::nullopt;
    }
    const std::size_t end = scan(Scan::Token, m_position, isJavaWhitespace);
    if (end == m_buffer.size() && !m_sourceClosed) {
        // A partial token: more input could continue it.
        needInput = true;
        return std::nullopt;
    }
    std::u16string token = m_buffer.substr(m_position, end - m_position);
    bool matches = true;
    switch (p) {
    case Pattern::Any:
        break;
    case Pattern::Integer:
        matches = matchesInteger(token, symbols);
        break;
    case Pattern::Float:
        matches = matchesFloat(token, symbols);
        break;
    case Pattern::Boolean:
        matches = lowerCase(token) == u"true" || lowerCase(token) == u"false";
        break;
    }
    if (!matches)
        return std::nullopt;
    m_position = end;
    return token;
}

std::u16string JScanner::nextToken(Machine& m, Pattern p)
{
    ensureOpen();
    while (true) {
        bool needInput = false;
        if (std::optional<std::u16string> token = completeToken(p, m.symbols, needInput)) {
            m_skipped = false;
            return std::move(*token);
        }
        if (!needInput)
            throwFor(p, m.symbols);
        readInput(m);
    }
}

std::optional<std::u16string> JScanner::peekToken(Machine& m, Pattern p)
{
    ensureOpen();
    const std::size_t saved = m_position;
    std::optional<std::u16string> result;
    while (true) {
        bool needInput = false;
        result = completeToken(p, m.symbols, needInput);
        if (result || !needInput)
            break;
        readInput(m);
    }
    m_position = saved;
    m_skipped = false;
    return result;
}

std::int32_t JScanner::nextInt(Machine& m)
{
    const std::u16string token = nextToken(m, Pattern::Integer);
    const std::u16string text = javaNumberText(token, m.symbols);
    if (std::optional<std::int32_t> v = parseJavaInt(text))
        return *v;
    // The token is left unread, as Java does.
    m_position -= token.size();
    throwJava(JavaError::InputMismatch, "For input string: \"" + toUtf8(text) + "\"",
              msg::inputMismatch(toCp1252(token), msg::kNoInteger));
}

std::int64_t JScanner::nextLong(Machine& m)
{
    const std::u16string token = nextToken(m, Pattern::Integer);
    const std::u16string text = javaNumberText(token, m.symbols);
    if (std::optional<std::int64_t> v = parseJavaLong(text))
        return *v;
    m_position -= token.size();
    throwJava(JavaError::InputMismatch, "For input string: \"" + toUtf8(text) + "\"",
              msg::inputMismatch(toCp1252(token), msg::kNoInteger));
}

double JScanner::nextDouble(Machine& m)
{
    const std::u16string token = nextToken(m, Pattern::Float);
    if (std::optional<double> v = parseJavaDouble(javaNumberText(token, m.symbols)))
        return *v;
    m_position -= token.size();
    throwJava(JavaError::InputMismatch, {}, msg::inputMismatch(toCp1252(token), msg::kNoNumber));
}

bool JScanner::nextBoolean(Machine& m)
{
    return lowerCase(nextToken(m, Pattern::Boolean)) == u"true";
}

std::u16string JScanner::next(Machine& m)
{
    return nextToken(m, Pattern::Any);
}

bool JScanner::hasNext(Machine& m)
{
    return peekToken(m, Pattern::Any).has_value();
}

bool JScanner::hasNextInt(Machine& m)
{
    const std::optional<std::u16string> token = peekToken(m, Pattern::Integer);
    return token && parseJavaInt(javaNumberText(*token, m.symbols)).has_value();
}

bool JScanner::hasNextLong(Machine& m)
{
    const std::optional<std::u16string> token = peekToken(m, Pattern::Integer);
    return token && parseJavaLong(javaNumberText(*token, m.symbols)).has_value();
}

bool JScanner::hasNextDouble(Machine& m)
{
    const std::optional<std::u16string> token = peekToken(m, Pattern::Float);
    return token && parseJavaDouble(javaNumberText(*token, m.symbols)).has_value();
}

std::optional<std::u16string> JScanner::findLine(Machine& m, bool consume)
{
    ensureOpen();
    while (true) {
        const std::size_t t = scan(Scan::Line, m_position, isLineSeparator);
        if (t < m_buffer.size()) {
            std::size_t separator = 1;
            if (m_buffer[t] == u'\r') {
                // "\r" at the end of the buffer could be the first half of "\r\n".
                if (t + 1 == m_buffer.size() && !m_sourceClosed) {
                    readInput(m);
                    continue;
                }
                if (t + 1 < m_buffer.size() && m_buffer[t + 1] == u'\n')
                    separator = 2;
            }
            std::u16string line = m_buffer.substr(m_position, t - m_position);
            if (consume)
                m_position = t + separator;
            return line;
        }
        if (!m_sourceClosed) {
            readInput(m);
            continue;
        }
        if (m_position == m_buffer.size())
            return std::nullopt;
        std::u16string line = m_buffer.substr(m_position);
        if (consume)
            m_position = m_buffer.size();
        return line;
    }
}

std::u16string JScanner::nextLine(Machine& m)
{
    std::optional<std::u16string> line = findLine(m, true);
    m_skipped = false;
    if (!line)
        throwJava(JavaError::NoSuchElement, "No line found");
    return std::move(*line);
}

bool JScanner::hasNextLine(Machine& m)
{
    const bool result = findLine(m, false).has_value();
    m_skipped = false;
    return result;
}

void JScanner::close(Machine& m)
{
    if (m_closed)
        return;
    if (m_fromStdin)
        m.closeStandardInput();
    m_sourceClosed = true;
    m_closed = true;
}

} // namespace runtime
