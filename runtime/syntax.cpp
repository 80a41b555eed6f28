// The parser of the Java fragments: one function per grammar rule, each headed by the rule it reads.
// Binary operators are read by precedence climbing over the levels of binaryLevel (loosest first); a
// parenthesised type followed by an operand is a cast, anything else in parentheses an expression. The
// parser decides by looking ahead (a cast by the tokens up to its ")") and never backtracks over a parsed
// subtree.
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
    return t.kind == Tok::Operator && isAssignment(t.op);
}

// Binary operators by precedence level, loosest first; 0 for anything else.
int binaryLevel(const Token& t)
{
    if (t.kind != Tok::Operator)
        return t.isWord(u"instanceof") ? 7 : 0;
    switch (t.op) {
    case Punct::OrOr:
        return 1;
    case Punct::AndAnd:
        return 2;
    case Punct::Bar:
        return 3;
    case Punct::Caret:
        return 4;
    case Punct::Amp:
        return 5;
    case Punct::Eq:
    case Punct::Ne:
        return 6;
    case Punct::Lt:
    case Punct::Gt:
    case Punct::Le:
    case Punct::Ge:
        return 7;
    case Punct::Shl:
    case Punct::Shr:
    case Punct::Ushr:
        return 8;
    case Punct::Plus:
    case Punct::Minus:
        return 9;
    case Punct::Star:
    case Punct::Slash:
    case Punct::Percent:
        return 10;
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
        expect(Punct::RParen);
        expectEnd();
        return e;
    }

    // [ExpressionList] ";" Expression ";" [ExpressionList] ")" End
    ForHeader forHeader()
    {
        ForHeader h;
        if (!peek().is(Punct::Semicolon))
            h.init = expressionList();
        expect(Punct::Semicolon);
        h.test = expression();
        expect(Punct::Semicolon);
        if (!peek().is(Punct::RParen))
            h.update = expressionList();
        expect(Punct::RParen);
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
            return toCp1252(t.text);
        case Tok::Operator:
            return toCp1252(std::u16string(runtime::spelling(t.op)));
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

    void expect(Punct op)
    {
        if (!peek().is(op)) {
            if (peek().kind == Tok::Error)
                fail(m_lexError);
            fail(msg::expected(toCp1252(std::u16string(runtime::spelling(op))),
                               peek().kind == Tok::End ? std::string() : spelling(peek())));
        }
        ++m_pos;
    }

    void expectEnd()
    {
        if (peek().kind != Tok::End)
            unexpected();
    }

    bool accept(Punct op)
    {
        if (!peek().is(op))
            return false;
        ++m_pos;
        return true;
    }

    bool acceptWord(std::u16string_view word)
    {
        if (!peek().isWord(word))
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
        return n.is(Punct::LBracket) && peek(2).is(Punct::RBracket);
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
        while (peek().is(Punct::LBracket) && peek(1).is(Punct::RBracket)) {
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
            expect(Punct::Semicolon);
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
        while (peek().isWord(u"final")) {
            ++m_pos;
            s->isFinal = true;
        }
        s->type = type();
        do {
            Declarator d;
            d.name = identifier();
            while (peek().is(Punct::LBracket) && peek(1).is(Punct::RBracket)) {
                m_pos += 2;
                ++d.dims;
            }
            if (accept(Punct::Assign))
                d.init = peek().is(Punct::LBrace) ? arrayInitializer() : expression();
            s->declarators.push_back(std::move(d));
        } while (accept(Punct::Comma));
        return s;
    }

    // Statement: ";" | Block | if "(" Expression ")" Statement [else Statement] | break ";" | continue ";"
    //          | return ";" | StatementExpression ";"
    SyntaxStmtPtr statement()
    {
        DepthGuard guard(*this);
        auto s = std::make_unique<SyntaxStmt>();
        const Token& t = peek();
        if (t.is(Punct::Semicolon)) {
            ++m_pos;
            return s;
        }
        if (t.is(Punct::LBrace))
            return block();
        if (t.kind == Tok::Identifier && isKeyword(t.text)) {
            if (t.text == u"if")
                return ifStatement();
            if (t.text == u"break" || t.text == u"continue" || t.text == u"return")
                return jump();
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
        if (isIdentifier(t) && peek(1).is(Punct::Colon))
            fail(msg::kLabelsUnsupported);
        s->kind = SyntaxStmtKind::Expression;
        s->expr = expression();
        expect(Punct::Semicolon);
        return s;
    }

    // Block: "{" {BlockStatement} "}"
    SyntaxStmtPtr block()
    {
        auto s = std::make_unique<SyntaxStmt>();
        s->kind = SyntaxStmtKind::Block;
        ++m_pos;
        while (!peek().is(Punct::RBrace)) {
            if (peek().kind == Tok::End || peek().kind == Tok::Error)
                expect(Punct::RBrace);
            s->body.push_back(blockStatement());
        }
        ++m_pos;
        return s;
    }

    // if "(" Expression ")" Statement [else Statement]
    SyntaxStmtPtr ifStatement()
    {
        auto s = std::make_unique<SyntaxStmt>();
        s->kind = SyntaxStmtKind::If;
        ++m_pos;
        expect(Punct::LParen);
        s->expr = expression();
        expect(Punct::RParen);
        s->body.push_back(embeddedStatement());
        if (acceptWord(u"else"))
            s->body.push_back(embeddedStatement());
        return s;
    }

    // break ";" | continue ";" | return ";": no labels, no value
    SyntaxStmtPtr jump()
    {
        auto s = std::make_unique<SyntaxStmt>();
        const std::u16string& word = peek().text;
        s->kind = word == u"break"      ? SyntaxStmtKind::Break
                  : word == u"continue" ? SyntaxStmtKind::Continue
                                        : SyntaxStmtKind::Return;
        ++m_pos;
        if (s->kind != SyntaxStmtKind::Return && isIdentifier(peek()))
            fail(msg::kLabelsUnsupported);
        if (s->kind == SyntaxStmtKind::Return && !peek().is(Punct::Semicolon))
            fail(msg::kReturnValue);
        expect(Punct::Semicolon);
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
        while (accept(Punct::Comma));
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

    static SyntaxExprPtr node(SyntaxExprKind kind, Punct op)
    {
        auto e = std::make_unique<SyntaxExpr>();
        e->kind = kind;
        e->op = op;
        return e;
    }

    // Expression: Conditional [AssignmentOperator Expression]
    SyntaxExprPtr expression()
    {
        DepthGuard guard(*this);
        SyntaxExprPtr left = conditional();
        if (isAssignOp(peek())) {
            SyntaxExprPtr e = node(SyntaxExprKind::Assign, take().op);
            e->args.push_back(std::move(left));
            if (peek().is(Punct::LBrace))
                fail(msg::kArrayInitHere);
            e->args.push_back(expression());
            return grown(std::move(e));
        }
        if (peek().is(Punct::Arrow))
            fail(msg::kLambdaUnsupported);
        return left;
    }

    // Conditional: Binary ["?" Expression ":" Conditional]
    SyntaxExprPtr conditional()
    {
        SyntaxExprPtr c = binary(1);
        if (!accept(Punct::Question))
            return c;
        DepthGuard guard(*this);
        SyntaxExprPtr e = node(SyntaxExprKind::Conditional);
        e->args.push_back(std::move(c));
        e->args.push_back(expression());
        expect(Punct::Colon);
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
            if (peek().isWord(u"instanceof"))
                fail(msg::statementUnsupported("instanceof"));
            SyntaxExprPtr e = node(SyntaxExprKind::Binary, take().op);
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
        if (t.is(Punct::Minus) && (peek(1).kind == Tok::IntLiteral || peek(1).kind == Tok::LongLiteral) &&
            peek(1).limit) {
            // -2147483648 and -9223372036854775808L: the one place the largest literal is allowed.
            ++m_pos;
            SyntaxExprPtr e = node(SyntaxExprKind::Literal);
            e->token = take();
            e->token.limit = false;
            return postfix(std::move(e));
        }
        if (t.is(Punct::Plus) || t.is(Punct::Minus) || t.is(Punct::Not) || t.is(Punct::Tilde)) {
            SyntaxExprPtr e = node(SyntaxExprKind::Unary, take().op);
            e->args.push_back(unary());
            return grown(std::move(e));
        }
        if (t.is(Punct::Inc) || t.is(Punct::Dec)) {
            SyntaxExprPtr e = node(SyntaxExprKind::PreIncDec, take().op);
            e->args.push_back(unary());
            return grown(std::move(e));
        }
        if (t.is(Punct::LParen)) {
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
        while (peek(i).is(Punct::LBracket) && peek(i + 1).is(Punct::RBracket))
            i += 2;
        if (!peek(i).is(Punct::RParen))
            return nullptr;
        if (!primitive) {
            const Token& after = peek(i + 1);
            const bool operand =
                (after.kind != Tok::Operator && after.kind != Tok::End && after.kind != Tok::Error &&
                 !(after.kind == Tok::Identifier && after.text == u"instanceof")) ||
                after.is(Punct::LParen) || after.is(Punct::Not) || after.is(Punct::Tilde);
            if (!operand)
                return nullptr;
        }
        ++m_pos;
        SyntaxExprPtr e = node(SyntaxExprKind::Cast);
        e->type = type();
        expect(Punct::RParen);
        e->args.push_back(unary());
        return grown(std::move(e));
    }

    // Postfix: Primary {"." Identifier [Arguments] | "[" Expression "]"} {"++" | "--"}
    SyntaxExprPtr postfix(SyntaxExprPtr e)
    {
        while (true) {
            if (accept(Punct::Dot)) {
                if (peek().isWord(u"new") || peek().isWord(u"class") || peek().isWord(u"this"))
                    fail(msg::statementUnsupported(toCp1252(peek().text)));
                std::u16string name = identifier();
                if (peek().is(Punct::LParen)) {
                    SyntaxExprPtr call = node(SyntaxExprKind::Call, std::move(name));
                    call->args.push_back(std::move(e));
                    arguments(*call);
                    e = grown(std::move(call));
                } else {
                    SyntaxExprPtr field = node(SyntaxExprKind::Field, std::move(name));
                    field->args.push_back(std::move(e));
                    e = grown(std::move(field));
                }
            } else if (peek().is(Punct::LBracket) && e->kind != SyntaxExprKind::NewArray) {
                ++m_pos;
                SyntaxExprPtr index = node(SyntaxExprKind::Index);
                index->args.push_back(std::move(e));
                index->args.push_back(expression());
                expect(Punct::RBracket);
                e = grown(std::move(index));
            } else if (peek().is(Punct::ColonColon)) {
                fail(msg::kLambdaUnsupported);
            } else {
                break;
            }
        }
        while (peek().is(Punct::Inc) || peek().is(Punct::Dec)) {
            SyntaxExprPtr inc = node(SyntaxExprKind::PostIncDec, take().op);
            inc->args.push_back(std::move(e));
            e = grown(std::move(inc));
        }
        return e;
    }

    // Arguments: "(" [Expression {"," Expression}] ")"
    void arguments(SyntaxExpr& call)
    {
        expect(Punct::LParen);
        if (accept(Punct::RParen))
            return;
        do
            call.args.push_back(expression());
        while (accept(Punct::Comma));
        expect(Punct::RParen);
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
            if (t.is(Punct::LParen)) {
                ++m_pos;
                SyntaxExprPtr e = node(SyntaxExprKind::Paren);
                e->args.push_back(expression());
                expect(Punct::RParen);
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
        if (peek().is(Punct::LParen)) {
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
            while (accept(Punct::Dot)) {
                e->type.name += u'.';
                e->type.name += identifier();
            }
            if (peek().is(Punct::LParen)) {
                e->kind = SyntaxExprKind::NewObject;
                arguments(*e);
                if (peek().is(Punct::LBrace))
                    fail(msg::statementUnsupported("class"));
                return e;
            }
        }
        if (!peek().is(Punct::LBracket))
            expect(Punct::LBracket);
        if (peek(1).is(Punct::RBracket)) {
            while (peek().is(Punct::LBracket) && peek(1).is(Punct::RBracket)) {
                m_pos += 2;
                ++e->type.dims;
            }
            if (!peek().is(Punct::LBrace))
                expect(Punct::LBrace);
            e->args.push_back(arrayInitializer());
            return e;
        }
        expect(Punct::LBracket);
        e->args.push_back(expression());
        expect(Punct::RBracket);
        e->type.dims = 1;
        while (peek().is(Punct::LBracket)) {
            ++e->type.dims;
            ++m_pos;
            if (!accept(Punct::RBracket)) {
                expression();
                expect(Punct::RBracket);
            }
        }
        return e;
    }

    // ArrayInitializer: "{" [Initializer {"," Initializer}] [","] "}"
    SyntaxExprPtr arrayInitializer()
    {
        DepthGuard guard(*this);
        expect(Punct::LBrace);
        SyntaxExprPtr e = node(SyntaxExprKind::ArrayInit);
        while (!peek().is(Punct::RBrace)) {
            e->args.push_back(peek().is(Punct::LBrace) ? arrayInitializer() : expression());
            if (!accept(Punct::Comma))
                break;
        }
        expect(Punct::RBrace);
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
