// The parser of the Java fragments: one function per grammar rule, each headed by the rule it reads.
#include "runtime/syntax.h"

#include "runtime/javatext.h"
#include "runtime/messages.h"

#include <array>
#include <string_view>

namespace runtime {

namespace {

// Expressions and statements nested deeper than this inside one text are refused, and so are expression
// trees higher than kMaxHeight (long chains such as 1+1+...+1 build them without nesting), so that no
// text can exhaust the stack of the parser, the checker or the running program.
constexpr int kMaxDepth = 500;
constexpr int kMaxHeight = 500;

bool isPrimitiveName(const std::u16string& word)
{
    static constexpr std::array<std::u16string_view, 8> kNames = {u"boolean", u"byte", u"char",  u"short",
                                                                  u"int",     u"long", u"float", u"double"};
    for (std::u16string_view n : kNames)
        if (word == n)
            return true;
    return false;
}

bool isAssignOp(const Token& t)
{
    static constexpr std::array<std::u16string_view, 12> kOps = {
        u"=", u"+=", u"-=", u"*=", u"/=", u"%=", u"&=", u"|=", u"^=", u"<<=", u">>=", u">>>="};
    if (t.kind != Tok::Operator)
        return false;
    for (std::u16string_view op : kOps)
        if (t.text == op)
            return true;
    return false;
}

// Binary operators by precedence level, loosest first; 0 for anything else.
int binaryLevel(const Token& t)
{
    if (t.kind != Tok::Operator)
        return t.kind == Tok::Identifier && t.text == u"instanceof" ? 7 : 0;
    const std::u16string& s = t.text;
    const char16_t second = s.size() > 1 ? s[1] : u'\0';
    if (s.size() > 3 ||
        (s.size() > 1 && second == u'=' && s[0] != u'=' && s[0] != u'!' && s[0] != u'<' && s[0] != u'>'))
        return 0; // assignment operators
    switch (s[0]) {
    case u'|':
        return second == u'|' ? 1 : 3;
    case u'&':
        return second == u'&' ? 2 : 5;
    case u'^':
        return 4;
    case u'=':
        return second == u'=' ? 6 : 0;
    case u'!':
        return second == u'=' ? 6 : 0;
    case u'<':
    case u'>':
        if (second == s[0])
            return s.size() == 3 && s[2] == u'=' ? 0 : 8; // <<= and >>= assign
        return 7;
    case u'+':
    case u'-':
        return s.size() == 1 ? 9 : 0;
    case u'*':
    case u'/':
    case u'%':
        return s.size() == 1 ? 10 : 0;
    default:
        return 0;
    }
}

class Parser
{
public:
    explicit Parser(const std::u16string& source) : m_tokens(tokenize(source))
    {
        const Token& last = m_tokens.back();
        if (last.kind == Tok::Error)
            m_lexError = toCp1252(last.text);
    }

    // BlockStatements End
    std::vector<SyntaxStmtPtr> statements()
    {
        std::vector<SyntaxStmtPtr> list;
        while (peek().kind != Tok::End)
            list.push_back(blockStatement());
        return list;
    }

    // Expression ")" End
    SyntaxExprPtr condition()
    {
        SyntaxExprPtr e = expression();
        expect(u")");
        expectEnd();
        return e;
    }

    // [ExpressionList] ";" Expression ";" [ExpressionList] ")" End
    ForHeader forHeader()
    {
        ForHeader h;
        if (!peek().is(u";"))
            h.init = expressionList();
        expect(u";");
        h.test = expression();
        expect(u";");
        if (!peek().is(u")"))
            h.update = expressionList();
        expect(u")");
        expectEnd();
        return h;
    }

private:
    const Token& peek(std::size_t ahead = 0) const
    {
        const std::size_t i = m_pos + ahead;
        return i < m_tokens.size() ? m_tokens[i] : m_tokens.back();
    }

    Token take()
    {
        const Token& t = peek();
        if (t.kind == Tok::Error)
            fail(m_lexError);
        if (t.kind == Tok::End)
            fail(msg::kUnexpectedEnd);
        return m_tokens[m_pos++];
    }

    [[noreturn]] void fail(const std::string& message) const { throw SyntaxError(message); }

    [[noreturn]] void unexpected() const
    {
        const Token& t = peek();
        if (t.kind == Tok::Error)
            fail(m_lexError);
        if (t.kind == Tok::End)
            fail(msg::kUnexpectedEnd);
        fail(msg::unexpectedToken(spelling(t)));
    }

    // Built by appending: GCC 12 warns falsely (-Wrestrict) on a literal put before a string with +.
    static std::string quoted(char quote, const std::string& text)
    {
        std::string s(1, quote);
        s += text;
        s += quote;
        return s;
    }

    static std::string spelling(const Token& t)
    {
        switch (t.kind) {
        case Tok::Identifier:
        case Tok::Operator:
            return toCp1252(t.text);
        case Tok::StringLiteral:
            return quoted('"', toCp1252(t.text));
        case Tok::CharLiteral:
            return quoted('\'', toCp1252(std::u16string(1, static_cast<char16_t>(t.integer))));
        case Tok::DoubleLiteral:
            return doubleToString(t.number);
        default:
            return std::to_string(t.integer);
        }
    }

    void expect(const char16_t* op)
    {
        if (!peek().is(op)) {
            if (peek().kind == Tok::Error)
                fail(m_lexError);
            fail(msg::expected(toCp1252(op), peek().kind == Tok::End ? std::string() : spelling(peek())));
        }
        ++m_pos;
    }

    void expectEnd()
    {
        if (peek().kind != Tok::End)
            unexpected();
    }

    bool accept(const char16_t* op)
    {
        if (!peek().is(op))
            return false;
        ++m_pos;
        return true;
    }

    class DepthGuard
    {
    public:
        explicit DepthGuard(Parser& p) : m_p(p)
        {
            if (++m_p.m_depth > kMaxDepth)
                m_p.fail(msg::kTooDeep);
        }
        ~DepthGuard() { --m_p.m_depth; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;

    private:
        Parser& m_p;
    };

    bool isIdentifier(const Token& t) const { return t.kind == Tok::Identifier && !isKeyword(t.text); }

    std::u16string identifier()
    {
        if (!isIdentifier(peek())) {
            if (peek().kind == Tok::Identifier)
                fail(msg::keywordAsName(toCp1252(peek().text)));
            unexpected();
        }
        return take().text;
    }

    // Whether a local variable declaration starts here: [final] a primitive type, or a name followed by a
    // name or by "[]".
    bool atDeclaration() const
    {
        const Token& t = peek();
        if (t.kind != Tok::Identifier)
            return false;
        if (t.text == u"final" || isPrimitiveName(t.text))
            return true;
        if (isKeyword(t.text))
            return false;
        const Token& n = peek(1);
        if (n.kind == Tok::Identifier)
            return true;
        return n.is(u"[") && peek(2).is(u"]");
    }

    // Type: (PrimitiveType | Identifier) {"[" "]"}
    TypeRef type()
    {
        TypeRef t;
        const Token& head = peek();
        if (head.kind == Tok::Identifier && isPrimitiveName(head.text)) {
            t.primitive = true;
            t.name = take().text;
        } else {
            t.name = identifier();
        }
        while (peek().is(u"[") && peek(1).is(u"]")) {
            m_pos += 2;
            ++t.dims;
        }
        return t;
    }

    // BlockStatement: LocalVariableDeclaration ";" | Statement
    SyntaxStmtPtr blockStatement()
    {
        if (atDeclaration()) {
            SyntaxStmtPtr s = declaration();
            expect(u";");
            return s;
        }
        return statement();
    }

    // LocalVariableDeclaration: [final] Type Declarator {"," Declarator}
    // Declarator: Identifier {"[" "]"} ["=" (Expression | ArrayInitializer)]
    SyntaxStmtPtr declaration()
    {
        auto s = std::make_unique<SyntaxStmt>();
        s->kind = SyntaxStmtKind::Declaration;
        while (peek().is(u"final")) {
            ++m_pos;
            s->isFinal = true;
        }
        s->type = type();
        do {
            Declarator d;
            d.name = identifier();
            while (peek().is(u"[") && peek(1).is(u"]")) {
                m_pos += 2;
                ++d.dims;
            }
            if (accept(u"="))
                d.init = peek().is(u"{") ? arrayInitializer() : expression();
            s->declarators.push_back(std::move(d));
        } while (accept(u","));
        return s;
    }

    // Statement: ";" | Block | if "(" Expression ")" Statement [else Statement] | break ";" | continue ";"
    //          | return ";" | StatementExpression ";"
    SyntaxStmtPtr statement()
    {
        DepthGuard guard(*this);
        auto s = std::make_unique<SyntaxStmt>();
        const Token& t = peek();
        if (t.is(u";")) {
            ++m_pos;
            return s;
        }
        if (t.is(u"{")) {
            ++m_pos;
            s->kind = SyntaxStmtKind::Block;
            while (!peek().is(u"}")) {
                if (peek().kind == Tok::End || peek().kind == Tok::Error)
                    expect(u"}");
                s->body.push_back(blockStatement());
            }
            ++m_pos;
            return s;
        }
        if (t.kind == Tok::Identifier && isKeyword(t.text)) {
            if (t.text == u"if") {
                ++m_pos;
                s->kind = SyntaxStmtKind::If;
                expect(u"(");
                s->expr = expression();
                expect(u")");
                s->body.push_back(embeddedStatement());
                if (accept(u"else"))
                    s->body.push_back(embeddedStatement());
                return s;
            }
            if (t.text == u"break" || t.text == u"continue" || t.text == u"return") {
                s->kind = t.text == u"break"      ? SyntaxStmtKind::Break
                          : t.text == u"continue" ? SyntaxStmtKind::Continue
                                                  : SyntaxStmtKind::Return;
                ++m_pos;
                if (s->kind != SyntaxStmtKind::Return && isIdentifier(peek()))
                    fail(msg::kLabelsUnsupported);
                if (s->kind == SyntaxStmtKind::Return && !peek().is(u";"))
                    fail(msg::kReturnValue);
                expect(u";");
                return s;
            }
            if (t.text == u"while" || t.text == u"for" || t.text == u"do")
                fail(msg::loopInText(toCp1252(t.text)));
            if (t.text == u"else")
                fail(msg::kElseWithoutIf);
            static constexpr std::array<std::u16string_view, 6> kExpressionWords = {
                u"new", u"true", u"false", u"null", u"this", u"super"};
            bool startsExpression = false;
            for (std::u16string_view w : kExpressionWords)
                startsExpression = startsExpression || t.text == w;
            if (!startsExpression)
                fail(msg::statementUnsupported(toCp1252(t.text)));
        }
        if (isIdentifier(t) && peek(1).is(u":"))
            fail(msg::kLabelsUnsupported);
        s->kind = SyntaxStmtKind::Expression;
        s->expr = expression();
        expect(u";");
        return s;
    }

    // The statement of an if or else without braces: a declaration is not allowed there.
    SyntaxStmtPtr embeddedStatement()
    {
        if (atDeclaration())
            fail(msg::kDeclarationNotAllowed);
        return statement();
    }

    std::vector<SyntaxExprPtr> expressionList()
    {
        std::vector<SyntaxExprPtr> list;
        do
            list.push_back(expression());
        while (accept(u","));
        return list;
    }

    // Sets the height of `e` from its operands; refuses trees that grow too high.
    SyntaxExprPtr grown(SyntaxExprPtr e)
    {
        for (const SyntaxExprPtr& a : e->args)
            if (a)
                e->height = std::max(e->height, a->height + 1);
        if (e->height > kMaxHeight)
            fail(msg::kTooDeep);
        return e;
    }

    static SyntaxExprPtr node(SyntaxExprKind kind, std::u16string name = {})
    {
        auto e = std::make_unique<SyntaxExpr>();
        e->kind = kind;
        e->name = std::move(name);
        return e;
    }

    // Expression: Conditional [AssignmentOperator Expression]
    SyntaxExprPtr expression()
    {
        DepthGuard guard(*this);
        SyntaxExprPtr left = conditional();
        if (isAssignOp(peek())) {
            SyntaxExprPtr e = node(SyntaxExprKind::Assign, take().text);
            e->args.push_back(std::move(left));
            if (peek().is(u"{"))
                fail(msg::kArrayInitHere);
            e->args.push_back(expression());
            return grown(std::move(e));
        }
        if (peek().is(u"->"))
            fail(msg::kLambdaUnsupported);
        return left;
    }

    // Conditional: Binary ["?" Expression ":" Conditional]
    SyntaxExprPtr conditional()
    {
        SyntaxExprPtr c = binary(1);
        if (!accept(u"?"))
            return c;
        DepthGuard guard(*this);
        SyntaxExprPtr e = node(SyntaxExprKind::Conditional);
        e->args.push_back(std::move(c));
        e->args.push_back(expression());
        expect(u":");
        e->args.push_back(conditional());
        return grown(std::move(e));
    }

    // Binary(level): Binary(level + 1) {operator-of-level Binary(level + 1)}
    SyntaxExprPtr binary(int level)
    {
        if (level > 10)
            return unary();
        SyntaxExprPtr left = binary(level + 1);
        while (binaryLevel(peek()) == level) {
            if (peek().is(u"instanceof"))
                fail(msg::statementUnsupported("instanceof"));
            SyntaxExprPtr e = node(SyntaxExprKind::Binary, take().text);
            e->args.push_back(std::move(left));
            e->args.push_back(binary(level + 1));
            left = grown(std::move(e));
        }
        return left;
    }

    // Unary: ("+" | "-" | "!" | "~") Unary | ("++" | "--") Unary | Cast | Postfix
    SyntaxExprPtr unary()
    {
        DepthGuard guard(*this);
        const Token& t = peek();
        if (t.is(u"-") && (peek(1).kind == Tok::IntLiteral || peek(1).kind == Tok::LongLiteral) &&
            peek(1).limit) {
            // -2147483648 and -9223372036854775808L: the one place the largest literal is allowed.
            ++m_pos;
            SyntaxExprPtr e = node(SyntaxExprKind::Literal);
            e->token = take();
            e->token.limit = false;
            return postfix(std::move(e));
        }
        if (t.is(u"+") || t.is(u"-") || t.is(u"!") || t.is(u"~")) {
            SyntaxExprPtr e = node(SyntaxExprKind::Unary, take().text);
            e->args.push_back(unary());
            return grown(std::move(e));
        }
        if (t.is(u"++") || t.is(u"--")) {
            SyntaxExprPtr e = node(SyntaxExprKind::PreIncDec, take().text);
            e->args.push_back(unary());
            return grown(std::move(e));
        }
        if (t.is(u"(")) {
            if (SyntaxExprPtr cast = tryCast())
                return cast;
        }
        return postfix(primary());
    }

    // Cast: "(" PrimitiveType {"[]"} ")" Unary | "(" Identifier {"[]"} ")" UnaryNotPlusMinus
    SyntaxExprPtr tryCast()
    {
        const Token& head = peek(1);
        if (head.kind != Tok::Identifier)
            return nullptr;
        const bool primitive = isPrimitiveName(head.text);
        if (!primitive && isKeyword(head.text))
            return nullptr;
        std::size_t i = 2;
        while (peek(i).is(u"[") && peek(i + 1).is(u"]"))
            i += 2;
        if (!peek(i).is(u")"))
            return nullptr;
        if (!primitive) {
            const Token& after = peek(i + 1);
            const bool operand =
                (after.kind != Tok::Operator && after.kind != Tok::End && after.kind != Tok::Error &&
                 !(after.kind == Tok::Identifier && after.text == u"instanceof")) ||
                after.is(u"(") || after.is(u"!") || after.is(u"~");
            if (!operand)
                return nullptr;
        }
        ++m_pos;
        SyntaxExprPtr e = node(SyntaxExprKind::Cast);
        e->type = type();
        expect(u")");
        e->args.push_back(unary());
        return grown(std::move(e));
    }

    // Postfix: Primary {"." Identifier [Arguments] | "[" Expression "]"} {"++" | "--"}
    SyntaxExprPtr postfix(SyntaxExprPtr e)
    {
        while (true) {
            if (accept(u".")) {
                if (peek().is(u"new") || peek().is(u"class") || peek().is(u"this"))
                    fail(msg::statementUnsupported(toCp1252(peek().text)));
                std::u16string name = identifier();
                if (peek().is(u"(")) {
                    SyntaxExprPtr call = node(SyntaxExprKind::Call, std::move(name));
                    call->args.push_back(std::move(e));
                    arguments(*call);
                    e = grown(std::move(call));
                } else {
                    SyntaxExprPtr field = node(SyntaxExprKind::Field, std::move(name));
                    field->args.push_back(std::move(e));
                    e = grown(std::move(field));
                }
            } else if (peek().is(u"[") && e->kind != SyntaxExprKind::NewArray) {
                ++m_pos;
                SyntaxExprPtr index = node(SyntaxExprKind::Index);
                index->args.push_back(std::move(e));
                index->args.push_back(expression());
                expect(u"]");
                e = grown(std::move(index));
            } else if (peek().is(u"::")) {
                fail(msg::kLambdaUnsupported);
            } else {
                break;
            }
        }
        while (peek().is(u"++") || peek().is(u"--")) {
            SyntaxExprPtr inc = node(SyntaxExprKind::PostIncDec, take().text);
            inc->args.push_back(std::move(e));
            e = grown(std::move(inc));
        }
        return e;
    }

    // Arguments: "(" [Expression {"," Expression}] ")"
    void arguments(SyntaxExpr& call)
    {
        expect(u"(");
        if (accept(u")"))
            return;
        do
            call.args.push_back(expression());
        while (accept(u","));
        expect(u")");
    }

    // Primary: Literal | Identifier [Arguments] | "(" Expression ")" | new Creator
    SyntaxExprPtr primary()
    {
        const Token& t = peek();
        switch (t.kind) {
        case Tok::IntLiteral:
        case Tok::LongLiteral:
            if (t.limit)
                fail(msg::kNumberTooLarge);
            [[fallthrough]];
        case Tok::DoubleLiteral:
        case Tok::CharLiteral:
        case Tok::StringLiteral: {
            SyntaxExprPtr e = node(SyntaxExprKind::Literal);
            e->token = take();
            return e;
        }
        case Tok::Identifier:
            break;
        case Tok::Operator:
            if (t.is(u"(")) {
                ++m_pos;
                SyntaxExprPtr e = node(SyntaxExprKind::Paren);
                e->args.push_back(expression());
                expect(u")");
                return grown(std::move(e));
            }
            unexpected();
        default:
            unexpected();
        }
        if (t.text == u"true" || t.text == u"false" || t.text == u"null") {
            SyntaxExprPtr e = node(SyntaxExprKind::Literal);
            e->token = take();
            return e;
        }
        if (t.text == u"new")
            return creator();
        if (isKeyword(t.text)) {
            if (isPrimitiveName(t.text) || t.text == u"void")
                fail(msg::unexpectedToken(toCp1252(t.text)));
            fail(msg::statementUnsupported(toCp1252(t.text)));
        }
        std::u16string name = take().text;
        if (peek().is(u"(")) {
            SyntaxExprPtr call = node(SyntaxExprKind::Call, std::move(name));
            call->args.push_back(nullptr);
            arguments(*call);
            return grown(std::move(call));
        }
        return node(SyntaxExprKind::Name, std::move(name));
    }

    // Creator: new Type "[" Expression "]" {"[" "]"} | new Type "[" "]" {"[" "]"} ArrayInitializer
    //        | new Identifier Arguments
    SyntaxExprPtr creator()
    {
        ++m_pos;
        SyntaxExprPtr e = node(SyntaxExprKind::NewArray);
        const Token& head = peek();
        if (head.kind == Tok::Identifier && isPrimitiveName(head.text)) {
            e->type.primitive = true;
            e->type.name = take().text;
        } else {
            e->type.name = identifier();
            while (accept(u".")) {
                e->type.name += u'.';
                e->type.name += identifier();
            }
            if (peek().is(u"(")) {
                e->kind = SyntaxExprKind::NewObject;
                arguments(*e);
                if (peek().is(u"{"))
                    fail(msg::statementUnsupported("class"));
                return e;
            }
        }
        if (!peek().is(u"["))
            expect(u"[");
        if (peek(1).is(u"]")) {
            while (peek().is(u"[") && peek(1).is(u"]")) {
                m_pos += 2;
                ++e->type.dims;
            }
            if (!peek().is(u"{"))
                expect(u"{");
            e->args.push_back(arrayInitializer());
            return e;
        }
        expect(u"[");
        e->args.push_back(expression());
        expect(u"]");
        e->type.dims = 1;
        while (peek().is(u"[")) {
            ++e->type.dims;
            ++m_pos;
            if (!accept(u"]")) {
                expression();
                expect(u"]");
            }
        }
        return e;
    }

    // ArrayInitializer: "{" [Initializer {"," Initializer}] [","] "}"
    SyntaxExprPtr arrayInitializer()
    {
        DepthGuard guard(*this);
        expect(u"{");
        SyntaxExprPtr e = node(SyntaxExprKind::ArrayInit);
        while (!peek().is(u"}")) {
            e->args.push_back(peek().is(u"{") ? arrayInitializer() : expression());
            if (!accept(u","))
                break;
        }
        expect(u"}");
        return e;
    }

    std::vector<Token> m_tokens;
    std::string m_lexError;
    std::size_t m_pos = 0;
    int m_depth = 0;
};

} // namespace

std::vector<SyntaxStmtPtr> parseStatements(const std::u16string& fragment)
{
    return Parser(fragment).statements();
}

SyntaxExprPtr parseCondition(const std::u16string& text)
{
    return Parser(text + u")").condition();
}

ForHeader parseForHeader(const std::u16string& header)
{
    return Parser(header).forHeader();
}

} // namespace runtime
