#include "syntax.h"

#include <tao/pegtl.hpp>

#include <algorithm>
#include <cctype>

#include "ut/utf.h"

namespace vxhost::syntax {

namespace {

namespace pegtl = tao::pegtl;

// ---- the grammar ------------------------------------------------------------------
namespace g {
using namespace tao::pegtl;

struct line_comment : seq<one<'%', '#'>, star<not_one<'\n'>>> {};
// '...' ends the line's statement text; the statement goes on on the next line.
struct continued_line : one<'\n'> {};
struct continuation : seq<string<'.', '.', '.'>, star<not_one<'\n'>>, must<continued_line>> {};
struct blank_char : one<' ', '\t', '\r'> {};
struct blank : sor<blank_char, continuation> {};
struct sp : star<blank> {};
// Inside parentheses a statement may go on over lines.
struct psp : star<sor<blank, seq<opt<line_comment>, one<'\n'>>>> {};

struct ident_char : ranges<'a', 'z', 'A', 'Z', '0', '9', '_'> {};
struct identifier : seq<ranges<'a', 'z', 'A', 'Z'>, star<ident_char>> {};

struct digits : plus<digit> {};
struct mantissa : sor<seq<digits, opt<one<'.'>, not_at<one<'.'>>, star<digit>>>, seq<one<'.'>, digits>> {};
struct exponent : seq<one<'e', 'E'>, opt<one<'+', '-'>>, digits> {};
struct number_text : seq<mantissa, opt<exponent>, not_at<ident_char>> {};
struct number : number_text {};

struct string_close : one<'\''> {};
struct string_lit : seq<one<'\''>, star<sor<string<'\'', '\''>, not_one<'\'', '\n'>>>, must<string_close>> {};
struct double_quoted : one<'"'> {};
struct double_quote_error : seq<at<one<'"'>>, raise<double_quoted>> {};

struct expr;
struct statement_body;

struct close_paren : one<')'> {};
struct close_brace : one<'}'> {};
struct close_bracket : one<']'> {};

struct colon_index : seq<one<':'>, at<psp, one<',', ')', '}'>>> {};
struct arg : sor<colon_index, expr> {};
struct comma : seq<psp, one<','>, psp> {};
struct arg_list : list<arg, comma> {};
struct call_args : seq<one<'('>, psp, opt<arg_list>, psp, must<close_paren>> {};
struct brace_args : seq<one<'{'>, psp, opt<arg_list>, psp, must<close_brace>> {};
struct field_name : identifier {};
struct field : seq<one<'.'>, field_name> {};
struct transpose : one<'\''> {};
struct postfix_op : sor<call_args, brace_args, field, transpose> {};

// Matrices: elements separated by blanks or commas, rows by ';' or new lines.
struct element_sep : sor<seq<sp, one<','>, sp>, plus<blank>> {};
// Numbers of a run make no nodes: the run is read straight into its array.
struct signed_number : seq<opt<one<'+', '-'>>, number_text, not_at<one<'(', '{', '\'', '.'>>, not_at<sp, one<':'>>> {};
struct number_run : seq<signed_number, star<element_sep, signed_number>> {};
struct matrix_element : sor<number_run, expr> {};
struct cell_element : seq<expr> {};
template <class Element>
struct row_of : seq<Element, star<element_sep, Element>, opt<sp, one<','>>> {};
struct matrix_row : row_of<matrix_element> {};
struct cell_row : row_of<cell_element> {};
struct row_sep : seq<sp, sor<one<';'>, seq<opt<line_comment>, one<'\n'>>>> {};
template <class Row>
struct rows_of : seq<sp, opt<Row>, star<row_sep, sp, opt<Row>>, sp> {};
struct matrix : seq<one<'['>, rows_of<matrix_row>, must<close_bracket>> {};
struct cells : seq<one<'{'>, rows_of<cell_row>, must<close_brace>> {};

struct group : seq<one<'('>, psp, must<expr>, psp, must<close_paren>> {};

struct param : identifier {};
struct params : seq<one<'('>, psp, opt<list<param, comma>>, psp, must<close_paren>> {};
struct handle_body : seq<statement_body> {};
struct anonymous_handle : seq<one<'@'>, sp, params, sp, must<handle_body>> {};
struct function_name : identifier {};
struct function_ref : seq<one<'@'>, function_name> {};
struct handle_name : sor<function_name, params> {};
struct stray_at : seq<one<'@'>, must<handle_name>> {};

struct name : identifier {};
struct primary
    : sor<number, string_lit, double_quote_error, matrix, cells, anonymous_handle, function_ref, stray_at, group, name> {};
struct postfix : seq<primary, star<postfix_op>> {};

struct touching : not_at<sor<blank_char, one<'\n'>, eof>> {};
struct unary;
struct negate : seq<one<'-'>, must<touching>, unary> {};
struct plus_sign : seq<one<'+'>, must<touching>, unary> {};
struct unary : sor<negate, plus_sign, postfix> {};
struct range_colon : seq<sp, one<':'>, not_at<one<'='>>, sp> {};
// One operand, or a range of two or three (read once: no backtracking).
struct range : seq<unary, opt<range_colon, unary, opt<range_colon, unary>>> {};
struct expr : seq<range> {};

// Statements.
struct target : seq<name, star<sor<call_args, brace_args, field>>> {};
struct value : expr {};
struct assign : seq<target, sp, one<'='>, not_at<one<'='>>, sp, must<value>> {};
struct group_word;
struct word_char : not_one<' ', '\t', '\r', '\n', ',', ';', '%', '#', '(', '[', '{', ')', ']', '}', '\''> {};
struct group_word
    : sor<seq<one<'('>, star<sor<string_lit, group_word, not_one<')', ']', '}', '(', '[', '{', '\''>>>, must<close_paren>>,
          seq<one<'['>, star<sor<string_lit, group_word, not_one<')', ']', '}', '(', '[', '{', '\''>>>, must<close_bracket>>,
          seq<one<'{'>, star<sor<string_lit, group_word, not_one<')', ']', '}', '(', '[', '{', '\''>>>, must<close_brace>>> {};
struct word : plus<sor<string_lit, group_word, word_char>> {};
struct command_name : identifier {};
struct command : seq<command_name, plus<blank>, not_at<one<'=', '('>>, list<word, plus<blank>>> {};
struct expression : expr {};
struct statement_body : sor<assign, command, expression> {};
struct statement_end : sor<one<',', ';', '\n'>, eof> {};
struct statement : seq<statement_body, sp, opt<line_comment>, must<statement_end>> {};
struct end_of_input : eof {};
struct program : seq<star<sor<blank, one<',', ';', '\n'>, line_comment, statement>>, must<end_of_input>> {};
struct whole_expression : seq<sp, must<expression>, sp, must<end_of_input>> {};

// ---- what errors say

template <class Rule>
constexpr const char* errorMessage = "unexpected text";
template <> constexpr const char* errorMessage<continued_line> = "a line ending in '...' must be followed by another";
template <> constexpr const char* errorMessage<string_close> = "a text is not closed";
template <> constexpr const char* errorMessage<double_quoted> = "texts are written in single quotes";
template <> constexpr const char* errorMessage<close_paren> = "expected ')'";
template <> constexpr const char* errorMessage<close_brace> = "expected '}'";
template <> constexpr const char* errorMessage<close_bracket> = "expected ']'";
template <> constexpr const char* errorMessage<expr> = "expected a value";
template <> constexpr const char* errorMessage<value> = "expected a value";
template <> constexpr const char* errorMessage<handle_body> = "expected the statement of the function handle";
template <> constexpr const char* errorMessage<handle_name> = "'@' must be followed by a function name or a parameter list";
template <> constexpr const char* errorMessage<touching> = "a sign must be followed directly by its operand";
template <> constexpr const char* errorMessage<statement_end> = "unexpected text";
template <> constexpr const char* errorMessage<expression> = "expected a value";

// Errors raised at the end of the input that more lines can complete.
template <class Rule>
constexpr bool completable = false;
template <> constexpr bool completable<continued_line> = true;
template <> constexpr bool completable<close_paren> = true;
template <> constexpr bool completable<close_brace> = true;
template <> constexpr bool completable<close_bracket> = true;
template <> constexpr bool completable<handle_body> = true;

} // namespace g

// ---- building the tree --------------------------------------------------------------

template <class Rule>
struct Made {
    static constexpr bool node = false;
};
#define VXHOST_NODE(Rule, K)                                                                                           \
    template <>                                                                                                        \
    struct Made<g::Rule> {                                                                                             \
        static constexpr bool node = true;                                                                             \
        static constexpr Kind kind = Kind::K;                                                                          \
    };
VXHOST_NODE(number, Number)
VXHOST_NODE(number_run, NumberRun)
VXHOST_NODE(string_lit, String)
VXHOST_NODE(name, Name)
VXHOST_NODE(colon_index, Colon)
VXHOST_NODE(matrix, Matrix)
VXHOST_NODE(cells, Cells)
VXHOST_NODE(matrix_row, Row)
VXHOST_NODE(cell_row, Row)
VXHOST_NODE(range, Range)
VXHOST_NODE(negate, Negate)
VXHOST_NODE(plus_sign, Plus)
VXHOST_NODE(postfix, Postfix)
VXHOST_NODE(call_args, Call)
VXHOST_NODE(brace_args, Brace)
VXHOST_NODE(field_name, Field)
VXHOST_NODE(transpose, Transpose)
VXHOST_NODE(group, Group)
VXHOST_NODE(anonymous_handle, Handle)
VXHOST_NODE(params, Params)
VXHOST_NODE(param, Name)
VXHOST_NODE(function_name, FunctionRef)
VXHOST_NODE(target, Postfix)
VXHOST_NODE(assign, Assign)
VXHOST_NODE(command, Command)
VXHOST_NODE(command_name, Name)
VXHOST_NODE(word, Word)
VXHOST_NODE(expression, Expression)
VXHOST_NODE(statement, Statement)
#undef VXHOST_NODE

struct Builder {
    std::vector<std::unique_ptr<Node>> stack;
    const char* begin = nullptr;
};

template <class Rule>
struct Control : pegtl::normal<Rule> {
    template <class Input>
    static void start(const Input& in, Builder& b)
    {
        if constexpr (Made<Rule>::node) {
            auto n = std::make_unique<Node>();
            n->kind = Made<Rule>::kind;
            n->begin = static_cast<std::size_t>(in.current() - b.begin);
            b.stack.push_back(std::move(n));
        }
    }
    template <class Input>
    static void success(const Input& in, Builder& b)
    {
        if constexpr (Made<Rule>::node) {
            std::unique_ptr<Node> n = std::move(b.stack.back());
            b.stack.pop_back();
            n->end = static_cast<std::size_t>(in.current() - b.begin);
            if constexpr (std::is_same_v<Rule, g::statement>)
                n->display = !(n->end > n->begin && b.begin[n->end - 1] == ';');
            // A field node spans its name; a function reference its name too.
            b.stack.back()->children.push_back(std::move(n));
        }
    }
    template <class Input>
    static void failure(const Input&, Builder& b)
    {
        if constexpr (Made<Rule>::node)
            b.stack.pop_back();
    }
    template <class Input>
    [[noreturn]] static void raise(const Input& in, Builder&)
    {
        throw pegtl::parse_error(g::errorMessage<Rule>, in);
    }
};

template <class Rule>
struct CheckingControl : Control<Rule> {
    template <class Input>
    [[noreturn]] static void raise(const Input& in, Builder& b)
    {
        // The position of the error, and whether the input simply ran out.
        std::string message = g::errorMessage<Rule>;
        if (g::completable<Rule> && in.empty())
            message = "\x01" + message; // marked: more lines may complete it
        (void)b;
        throw pegtl::parse_error(message, in);
    }
};

// What a lexical walk over the input finds: texts and comments skipped (a
// quote is a transpose after a name, a number or a closing bracket).
struct Lexical {
    int depth = 0;          // brackets open at the end
    bool continued = false; // the last line ends in '...'
    std::size_t tooDeep = std::string_view::npos; // where nesting passes kMaxDepth
};

Lexical walk(std::string_view s)
{
    Lexical out;
    int nested = 0, signs = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char c = s[i];
        out.continued = false;
        signs = c == '-' || c == '+' ? signs + 1 : 0;
        if (c == '%' || c == '#' || s.substr(i, 3) == "...") {
            out.continued = c == '.';
            while (i + 1 < s.size() && s[i + 1] != '\n')
                ++i;
        } else if (c == '\'') {
            char p = i ? s[i - 1] : ' ';
            bool transpose = std::isalnum(static_cast<unsigned char>(p)) || p == '_' || p == ')' || p == ']' ||
                             p == '}' || p == '\'' || p == '.';
            if (!transpose)
                while (++i < s.size() && s[i] != '\n' && (s[i] != '\'' || (i + 1 < s.size() && s[i + 1] == '\'' && ++i)))
                    ;
        } else if (c == '(' || c == '[' || c == '{' || c == '@') {
            out.depth += c != '@';
            ++nested;
        } else if (c == ')' || c == ']' || c == '}') {
            --out.depth;
            nested -= nested > 0;
        }
        if ((nested > kMaxDepth || signs > kMaxDepth) && out.tooDeep == std::string_view::npos)
            out.tooDeep = i;
    }
    return out;
}

// Whether the input ends inside a bracket, brace or parenthesis, or on a line
// ending in '...': a further line may complete it.
bool openAtEnd(std::string_view s)
{
    Lexical l = walk(s);
    return l.depth > 0 || l.continued;
}

std::size_t columnOf(std::string_view s, std::size_t byte)
{
    std::size_t lineStart = s.rfind('\n', byte == 0 ? 0 : byte - 1);
    if (byte == 0 || lineStart == std::string_view::npos)
        return byte + 1;
    return byte - lineStart;
}

// Refuses NUL bytes and text that is not UTF-8 before any grammar sees it.
bool checkBytes(const std::string& s, SyntaxError& error)
{
    std::size_t nul = s.find('\0');
    std::size_t bad = utf8_valid_prefix(s.data(), s.size());
    std::size_t at = std::min(nul, bad);
    if (at >= s.size()) {
        // Brackets, signs and handles nest the grammar's rules: deep nesting is
        // refused before it can exhaust the stack.
        std::size_t deep = walk(s).tooDeep;
        if (deep == std::string_view::npos)
            return true;
        error.byte = deep;
        error.message = "nesting deeper than " + std::to_string(kMaxDepth) + " levels at column " +
                        std::to_string(columnOf(s, deep));
        return false;
    }
    error.byte = at;
    error.message = (at == nul ? "a NUL character at column " : "text that is not UTF-8 at column ") +
                    std::to_string(columnOf(s, at));
    return false;
}

template <class Grammar>
ParseResult run(std::string source)
{
    ParseResult result;
    if (!checkBytes(source, result.error)) {
        result.source = std::move(source);
        return result;
    }
    auto program = std::make_unique<Program>();
    program->source = std::move(source);
    Builder b;
    b.begin = program->source.data();
    b.stack.push_back(std::make_unique<Node>());
    pegtl::memory_input<> in(program->source.data(), program->source.size(), "");
    try {
        if (!pegtl::parse<Grammar, pegtl::nothing, CheckingControl>(in, b)) {
            result.error.byte = program->source.size();
            result.error.message = "expected a value at column " +
                                   std::to_string(columnOf(program->source, result.error.byte));
            return result;
        }
    } catch (const pegtl::parse_error& e) {
        std::string message(e.message());
        std::size_t byte = e.positions().empty() ? 0 : e.positions().front().byte;
        bool marked = !message.empty() && message[0] == '\x01';
        if (marked)
            message.erase(0, 1);
        result.error.incomplete = marked || openAtEnd(program->source);
        result.error.byte = byte;
        result.error.message = message + " at column " + std::to_string(columnOf(program->source, byte));
        result.source = std::move(program->source);
        return result;
    }
    program->statements = std::move(b.stack.front()->children);
    result.program = std::move(program);
    return result;
}

} // namespace

std::size_t Program::column(std::size_t byte) const { return columnOf(source, byte); }

ParseResult parse(std::string source) { return run<g::program>(std::move(source)); }

ParseResult parseExpression(std::string source) { return run<g::whole_expression>(std::move(source)); }

std::string stringValue(std::string_view quoted)
{
    std::string out;
    std::string_view body = quoted.substr(1, quoted.size() >= 2 ? quoted.size() - 2 : 0);
    for (std::size_t i = 0; i < body.size(); ++i) {
        out += body[i];
        if (body[i] == '\'' && i + 1 < body.size() && body[i + 1] == '\'')
            ++i;
    }
    return out;
}

} // namespace vxhost::syntax
