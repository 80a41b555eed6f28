#pragma once

// The syntax of the Java fragments that the elements' texts become: a tree per fragment, before names
// and types are resolved. The parser follows the Java grammar for the subset the interpreter runs and
// refuses everything else (loops inside a statement text, classes, lambdas, ...) with a German message.

#include "runtime/lexer.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace runtime {

// A type as written: "int", "String", "double[]", "var", or an unknown name.
struct TypeRef
{
    std::u16string name;
    int dims = 0;
    bool primitive = false;
};

enum class SyntaxExprKind {
    Literal,     // token: a literal, or the keywords true, false, null
    Name,        // name
    Field,       // args[0].name
    Call,        // [args[0].]name(args[1..]); args[0] is null for an unqualified call
    Index,       // args[0][args[1]]
    Unary,       // op args[0]: + - ! ~
    PreIncDec,   // op args[0]: ++ --
    PostIncDec,  // args[0] op
    Binary,      // args[0] op args[1]
    Assign,      // args[0] op args[1], op "=", "+=", ...
    Conditional, // args[0] ? args[1] : args[2]
    Cast,        // (type) args[0]
    NewArray,    // new type[args[0]], or new type[] args[0] with an ArrayInit
    NewObject,   // new type(args...)
    ArrayInit,   // {args...}
    Paren,       // (args[0])
};

struct SyntaxExpr
{
    SyntaxExprKind kind = SyntaxExprKind::Literal;
    Token token;
    std::u16string name;    // Name, Field, Call: the identifier
    Punct op = Punct::None; // Unary, PreIncDec, PostIncDec, Binary, Assign: the operator
    TypeRef type;
    std::vector<std::unique_ptr<SyntaxExpr>> args;
    int height = 1; // levels of the tree under and with this node
};
using SyntaxExprPtr = std::unique_ptr<SyntaxExpr>;

enum class SyntaxStmtKind { Empty, Declaration, Expression, Block, If, Break, Continue, Return };

struct Declarator
{
    std::u16string name;
    int dims = 0;       // brackets after the name: int a[]
    SyntaxExprPtr init; // null when none; an ArrayInit for {1, 2, 3}
};

struct SyntaxStmt
{
    SyntaxStmtKind kind = SyntaxStmtKind::Empty;
    bool isFinal = false;
    TypeRef type;
    std::vector<Declarator> declarators;
    SyntaxExprPtr expr;                            // Expression; If: the condition
    std::vector<std::unique_ptr<SyntaxStmt>> body; // Block: its statements; If: then, and else when present
};
using SyntaxStmtPtr = std::unique_ptr<SyntaxStmt>;

// A syntax error; what() is the German description (code page 1252).
class SyntaxError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

// The statements of a statement element's fragment (its text with the ';' the export adds).
std::vector<SyntaxStmtPtr> parseStatements(const std::u16string& fragment);
// A condition: the text followed by the ')' that closes "if (", "while (".
SyntaxExprPtr parseCondition(const std::u16string& text);
// The header of a counting loop, "init;test;update", followed by ')'.
struct ForHeader
{
    std::vector<SyntaxExprPtr> init;
    SyntaxExprPtr test;
    std::vector<SyntaxExprPtr> update;
};
ForHeader parseForHeader(const std::u16string& header);

} // namespace runtime
