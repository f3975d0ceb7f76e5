// The console's language as a syntax tree. The grammar (syntax.cpp) reads a
// whole input (one line, or several joined by continuation) into statements:
//
//   statements   separated by ',' ';' or a new line; ';' suppresses the display
//   assignment   x = EXPR   x(2) = EXPR   c{1} = EXPR   h.Prop = EXPR   s.f = EXPR
//   command      NAME WORD ...        (from VectorData [1 2 3], help set, clear x)
//   expression   literals, names, calls and indexing a(i, end) c{k}, fields .name,
//                transpose a', ranges a:b a:s:b, signs touching their operand,
//                function handles @name and @(src, evt) STATEMENT
//
// A line ending in '...' continues on the next; so does a bracket, brace or
// parenthesis left open. Text after % or # is a comment.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vxhost::syntax {

enum class Kind {
    Number,     // 1.5e3
    NumberRun,  // a run of numbers inside [], read straight into the array
    String,     // 'it''s' (the node spans the quotes)
    Name,       // x, end, zeros
    Colon,      // a lone ':' as an index
    Matrix,     // [rows]
    Cells,      // {rows}
    Row,        // elements of a matrix or cell row
    Range,      // an operand, or 2 or 3 for a range
    Negate,     // -x
    Plus,       // +x
    Postfix,    // a primary followed by Call / Brace / Field / Transpose nodes
    Call,       // (args)
    Brace,      // {args}
    Field,      // .name (the node spans the name)
    Transpose,  // '
    Group,      // (expr)
    Handle,     // @(params) body: children are Params and the body statement
    Params,     // parameter names
    FunctionRef,// @name (spans the name)
    Assign,     // target (a Postfix or Name) and value
    Command,    // name and Words
    Word,       // one word of a command
    Expression, // an expression statement
    Statement,  // one of Assign, Command, Expression; `display` says whether shown
};

struct Node {
    Kind kind;
    std::size_t begin = 0, end = 0; // bytes of the source
    bool display = true;            // statements: false when ';' ends them
    std::vector<std::unique_ptr<Node>> children;
};

// A parsed input: its text and its statements. Nodes refer to the text by offsets.
struct Program {
    std::string source;
    std::vector<std::unique_ptr<Node>> statements;
    std::string_view text(const Node& n) const { return std::string_view(source).substr(n.begin, n.end - n.begin); }
    // Column (from 1) of a node on its line.
    std::size_t column(std::size_t byte) const;
};

// What went wrong: the message names the column; `incomplete` when the input
// ended inside an open bracket or after '...' (more lines would complete it).
struct SyntaxError {
    std::string message;
    std::size_t byte = 0;
    bool incomplete = false;
};

// Brackets, handles and signs nest at most this deep.
inline constexpr int kMaxDepth = 64;

// Reads `source` into a program; a malformed input gives the first error.
// Input that holds a NUL byte or is not valid UTF-8 is refused naming where.
struct ParseResult {
    std::unique_ptr<Program> program;
    SyntaxError error;
    std::string source; // the input, handed back when it was refused
    bool ok() const { return program != nullptr; }
};
ParseResult parse(std::string source);

// Reads `source` as one expression (the values of command words and the
// defaults of the class catalog).
ParseResult parseExpression(std::string source);

// The text of a string literal node, quotes removed and doubled quotes made single.
std::string stringValue(std::string_view quoted);

} // namespace vxhost::syntax
