#include "literal.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

#include "messages.h"

namespace vxhost {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }
bool isNameStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) != 0; }
bool isNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// ---- the functions a literal calls ------------------------------------------------

struct Call {
    std::string name;
    std::vector<QxArrayPtr> args;
    const qxArray* arg(std::size_t i) const { return args[i].get(); }
};

[[noreturn]] void badArgument(const Call& c, const char* why) { fail(msg::BadArgument, c.name.c_str(), why); }

// A real numeric or logical scalar.
long double scalarOf(const Call& c, const qxArray* a)
{
    qxClassID cls = qxGetClassID(a);
    if (!(isNumeric(cls) || cls == qxLOGICAL_CLASS) || qxGetNumberOfElements(a) != 1 || qxIsComplex(a))
        badArgument(c, "expected a real number");
    QxArrayPtr full(qxMustBeFull(a));
    return readElement(cls, qxGetData(full.get()), 0);
}

qxSize sizeFrom(const Call& c, long double v)
{
    if (!std::isfinite(v) || v != std::floor(v))
        badArgument(c, "sizes must be whole numbers");
    if (v < 0)
        return 0; // a negative size is taken as 0, as hosts do
    if (v > static_cast<long double>(kMaxElements))
        fail(msg::TooLarge, kMaxElements);
    return static_cast<qxSize>(v);
}

// The dimensions given by args[first, last): none is 1x1, one scalar n is
// n-by-n, one vector lists them, several scalars are one dimension each.
Dims shapeOf(const Call& c, std::size_t first, std::size_t last)
{
    if (first == last)
        return {1, 1};
    if (last - first == 1) {
        const qxArray* a = c.arg(first);
        qxSize n = qxGetNumberOfElements(a);
        if (n == 1) {
            qxSize s = sizeFrom(c, scalarOf(c, a));
            return {s, s};
        }
        if (!isNumeric(qxGetClassID(a)) || !qxIsVector(a) || n < 2 || qxIsComplex(a) || qxIsSparse(a))
            badArgument(c, "the size must be a row of whole numbers");
        Dims dims;
        for (qxSize i = 0; i < n; ++i)
            dims.push_back(sizeFrom(c, readElement(qxGetClassID(a), qxGetData(a), i)));
        return dims;
    }
    Dims dims;
    for (std::size_t i = first; i < last; ++i)
        dims.push_back(sizeFrom(c, scalarOf(c, c.arg(i))));
    return dims;
}

// The characters of a char row vector (or of an empty text).
std::optional<std::string> textOf(const qxArray* a)
{
    if (!qxIsChar(a) || (qxGetNumberOfElements(a) > 0 && (qxGetNumberOfDimensions(a) != 2 || qxGetM(a) != 1)))
        return std::nullopt;
    return qxArrayToStdString(a);
}

// A class name given as the last argument ("int8" in zeros(2,3,'int8')):
// returns the class, or `fallback` when the last argument is no text.
qxClassID trailingClass(const Call& c, std::size_t& last, qxClassID fallback, bool floatingOnly)
{
    if (last == 0)
        return fallback;
    std::optional<std::string> name = textOf(c.arg(last - 1));
    if (!name)
        return fallback;
    std::optional<qxClassID> cls = elementClassNamed(*name);
    bool allowed = cls && (floatingOnly ? *cls == qxDOUBLE_CLASS || *cls == qxSINGLE_CLASS : isNumeric(*cls));
    if (!allowed)
        badArgument(c, floatingOnly ? "the class must be 'double' or 'single'" : "the class must be numeric");
    --last;
    return *cls;
}

QxArrayPtr convertTo(const Call& c) { return convertClass(c.arg(0), *elementClassNamed(c.name)); }

// zeros, ones, NaN, Inf and their kin: a filled array of a shape.
template <int Fill, bool FloatingOnly>
QxArrayPtr filled(const Call& c)
{
    std::size_t last = c.args.size();
    qxClassID cls = trailingClass(c, last, qxDOUBLE_CLASS, FloatingOnly);
    long double value = Fill == 2 ? std::numeric_limits<long double>::quiet_NaN()
                      : Fill == 3 ? std::numeric_limits<long double>::infinity()
                                  : Fill;
    return filledArray(shapeOf(c, 0, last), cls, value);
}

template <bool Value>
QxArrayPtr logicalFilled(const Call& c)
{
    return filledArray(shapeOf(c, 0, c.args.size()), qxLOGICAL_CLASS, Value);
}

QxArrayPtr cells(const Call& c) { return emptyCellArray(shapeOf(c, 0, c.args.size())); }

// reshape(x, m, n, ...) or reshape(x, [m n ...]); one size may be [] and is
// then whatever makes the number of elements come out.
QxArrayPtr reshapeCall(const Call& c)
{
    if (c.args.size() == 2)
        return reshape(c.arg(0), shapeOf(c, 1, 2));
    Dims dims;
    std::optional<std::size_t> open;
    for (std::size_t i = 1; i < c.args.size(); ++i) {
        const qxArray* a = c.arg(i);
        if (qxGetNumberOfElements(a) == 0 && qxIsDouble(a)) {
            if (open)
                badArgument(c, "only one size may be left open with []");
            open = dims.size();
            dims.push_back(1);
            continue;
        }
        dims.push_back(sizeFrom(c, scalarOf(c, a)));
    }
    if (open) {
        qxSize known = checkedCount(dims), total = qxGetNumberOfElements(c.arg(0));
        if (known == 0 || total % known != 0)
            badArgument(c, "the number of elements is not divisible by the given sizes");
        dims[*open] = total / known;
    }
    return reshape(c.arg(0), dims);
}

QxArrayPtr catCall(const Call& c)
{
    long double d = scalarOf(c, c.arg(0));
    if (!(d >= 1) || d != std::floor(d) || d > 64)
        badArgument(c, "the dimension must be a positive integer");
    std::vector<const qxArray*> parts;
    for (std::size_t i = 1; i < c.args.size(); ++i)
        parts.push_back(c.arg(i));
    return concatenate(static_cast<qxSize>(d), parts);
}

QxArrayPtr sparseCall(const Call& c)
{
    if (c.args.size() == 1)
        return sparseOf(c.arg(0));
    qxSize m = sizeFrom(c, scalarOf(c, c.arg(0))), n = sizeFrom(c, scalarOf(c, c.arg(1)));
    return QxArrayPtr(qxCreateSparse(m, n, 0, qxREAL));
}

QxArrayPtr complexCall(const Call& c)
{
    if (c.args.size() == 2)
        return complexOf(c.arg(0), c.arg(1));
    QxArrayPtr zero(qxCreateDoubleScalar(0));
    return complexOf(c.arg(0), zero.get());
}

QxArrayPtr structCall(const Call& c)
{
    if (c.args.size() % 2 != 0)
        badArgument(c, "names and values come in pairs");
    std::vector<std::string> names;
    std::vector<const qxArray*> values;
    for (std::size_t i = 0; i < c.args.size(); i += 2) {
        std::optional<std::string> name = textOf(c.arg(i));
        if (!name)
            badArgument(c, "field names are texts");
        names.push_back(*name);
        values.push_back(c.arg(i + 1));
    }
    return structOf(std::vector<std::string_view>(names.begin(), names.end()), values);
}

constexpr std::size_t many = std::numeric_limits<std::size_t>::max();

struct Function {
    std::string_view name;
    std::size_t minArgs, maxArgs;
    const char* takes; // what the arguments are, for the error message
    QxArrayPtr (*run)(const Call&);
};

constexpr Function functions[] = {
    {"double", 1, 1, "one argument", convertTo},
    {"single", 1, 1, "one argument", convertTo},
    {"int8", 1, 1, "one argument", convertTo},
    {"uint8", 1, 1, "one argument", convertTo},
    {"int16", 1, 1, "one argument", convertTo},
    {"uint16", 1, 1, "one argument", convertTo},
    {"int32", 1, 1, "one argument", convertTo},
    {"uint32", 1, 1, "one argument", convertTo},
    {"int64", 1, 1, "one argument", convertTo},
    {"uint64", 1, 1, "one argument", convertTo},
    {"logical", 1, 1, "one argument", convertTo},
    {"char", 1, 1, "one argument", convertTo},
    {"zeros", 0, many, "sizes and an optional class name", filled<0, false>},
    {"ones", 0, many, "sizes and an optional class name", filled<1, false>},
    {"NaN", 0, many, "sizes and an optional class name", filled<2, true>},
    {"nan", 0, many, "sizes and an optional class name", filled<2, true>},
    {"Inf", 0, many, "sizes and an optional class name", filled<3, true>},
    {"inf", 0, many, "sizes and an optional class name", filled<3, true>},
    {"true", 0, many, "sizes", logicalFilled<true>},
    {"false", 0, many, "sizes", logicalFilled<false>},
    {"cell", 0, many, "sizes", cells},
    {"reshape", 2, many, "an array and its new sizes", reshapeCall},
    {"cat", 1, many, "a dimension and the arrays to join", catCall},
    {"sparse", 1, 2, "an array, or the two sizes of an all-zero sparse array", sparseCall},
    {"complex", 1, 2, "a real part and an optional imaginary part", complexCall},
    {"struct", 0, many, "pairs of field names and values", structCall},
};

const Function* findFunction(std::string_view name)
{
    for (const Function& f : functions)
        if (f.name == name)
            return &f;
    return nullptr;
}

// ---- the reader -------------------------------------------------------------------

class Reader {
public:
    Reader(std::string_view text, std::size_t pos) : s_(text), pos_(pos) {}
    std::size_t pos() const { return pos_; }

    void skipBlanks()
    {
        while (!atEnd() && isBlank(s_[pos_]))
            ++pos_;
    }

    // An operand, or a range of two or three operands: a:b or a:step:b.
    QxArrayPtr value()
    {
        std::size_t start = pos_;
        QxArrayPtr first = operand();
        if (peek() != ':')
            return first;
        std::vector<QxArrayPtr> parts;
        parts.push_back(std::move(first));
        while (peek() == ':' && parts.size() < 3) {
            ++pos_;
            parts.push_back(operand());
        }
        if (peek() == ':')
            syntax("a range has at most three parts", pos_);
        return range(parts, start);
    }

private:
    QxArrayPtr operand()
    {
        Nesting nest(*this);
        if (atEnd())
            syntax("a value is missing", pos_);
        char c = s_[pos_];
        if (c == '[')
            return matrix(']', false);
        if (c == '{')
            return matrix('}', true);
        if (c == '\'')
            return text();
        if (c == '"')
            syntax("texts are written in single quotes", pos_);
        if (c == '+' || c == '-')
            return signedValue();
        if (isDigit(c) || (c == '.' && pos_ + 1 < s_.size() && isDigit(s_[pos_ + 1])))
            return number();
        if (isNameStart(c))
            return call();
        syntax(("unexpected '" + std::string(1, c) + "'").c_str(), pos_);
    }

    // The row from a to b in steps of `step` (1 when not given); empty when
    // the step leads away from b. Elements in the second half are counted back
    // from the end, so that 0:0.1:0.3 ends on 0.3 exactly. The class is double,
    // or single or an integer class when a part is one.
    QxArrayPtr range(const std::vector<QxArrayPtr>& parts, std::size_t start)
    {
        long double v[3] = {};
        qxClassID cls = qxDOUBLE_CLASS;
        for (std::size_t i = 0; i < parts.size(); ++i) {
            const qxArray* p = parts[i].get();
            qxClassID c = qxGetClassID(p);
            if (!(isNumeric(c) || c == qxLOGICAL_CLASS) || qxGetNumberOfElements(p) != 1 || qxIsComplex(p))
                fail(msg::LiteralSyntax, start + 1, "the parts of a range must be real numbers");
            QxArrayPtr full(qxMustBeFull(p));
            v[i] = readElement(c, qxGetData(full.get()), 0);
            if (cls == qxDOUBLE_CLASS && isNumeric(c))
                cls = c;
        }
        long double a = v[0], step = parts.size() == 3 ? v[1] : 1, b = parts.size() == 3 ? v[2] : v[1];
        qxSize n = 0;
        if (!std::isnan(a) && !std::isnan(step) && !std::isnan(b) && step != 0 && (step > 0 ? a <= b : a >= b)) {
            long double count = std::floor((b - a) / step + 1e-10L) + 1;
            if (!(count <= static_cast<long double>(kMaxElements)))
                fail(msg::TooLarge, kMaxElements);
            n = static_cast<qxSize>(count);
        }
        QxArrayPtr out(qxCreateDoubleMatrix(1, n, qxREAL));
        double* x = qxGetPr(out.get());
        long double last = a + static_cast<long double>(n - 1) * step;
        if (n > 0 && std::fabs(last - b) <= 1e-10L * std::fabs(step))
            last = b;
        for (qxSize k = 0; k < n; ++k)
            x[k] = static_cast<double>(2 * k <= n ? a + static_cast<long double>(k) * step
                                                 : last - static_cast<long double>(n - 1 - k) * step);
        return cls == qxDOUBLE_CLASS ? std::move(out) : convertClass(out.get(), cls);
    }

    struct Nesting {
        explicit Nesting(Reader& r) : r_(r)
        {
            if (++r_.depth_ > kMaxLiteralDepth)
                fail(msg::LiteralTooDeep, kMaxLiteralDepth, r_.pos_ + 1);
        }
        ~Nesting() { --r_.depth_; }
        Reader& r_;
    };

    bool atEnd() const { return pos_ >= s_.size(); }
    char peek() const { return atEnd() ? '\0' : s_[pos_]; }
    [[noreturn]] void syntax(const char* what, std::size_t at) { fail(msg::LiteralSyntax, at + 1, what); }

    QxArrayPtr signedValue()
    {
        char sign = s_[pos_++];
        if (atEnd() || isBlank(peek()))
            syntax("a sign must be followed directly by its operand", pos_ - 1);
        QxArrayPtr operand = this->operand();
        if (sign == '-')
            return negate(operand.get());
        qxClassID cls = qxGetClassID(operand.get());
        if (!hasElements(cls))
            fail(msg::ClassMismatch, qxGetClassName(operand.get()), "a number");
        return isNumeric(cls) ? std::move(operand) : convertClass(operand.get(), qxDOUBLE_CLASS);
    }

    QxArrayPtr number()
    {
        std::size_t start = pos_;
        auto digits = [&] {
            while (isDigit(peek()))
                ++pos_;
        };
        digits();
        if (peek() == '.') {
            ++pos_;
            digits();
        }
        if (peek() == 'e' || peek() == 'E') {
            std::size_t mark = pos_++;
            if (peek() == '+' || peek() == '-')
                ++pos_;
            if (isDigit(peek()))
                digits();
            else
                pos_ = mark; // "1e" is the number 1 followed by a name
        }
        // strtod reads the token the way a host reads it, overflow giving Inf.
        std::string token(s_.substr(start, pos_ - start));
        return QxArrayPtr(qxCreateDoubleScalar(std::strtod(token.c_str(), nullptr)));
    }

    QxArrayPtr text()
    {
        std::size_t start = pos_++;
        std::string out;
        for (;;) {
            if (atEnd())
                syntax("a text is not closed", start);
            char c = s_[pos_++];
            if (c == '\'') {
                if (peek() != '\'')
                    break;
                ++pos_;
            }
            out += c;
        }
        return QxArrayPtr(qxCreateString(out.c_str()));
    }

    QxArrayPtr call()
    {
        std::size_t start = pos_;
        while (isNameChar(peek()))
            ++pos_;
        Call c{std::string(s_.substr(start, pos_ - start)), {}};
        const Function* f = findFunction(c.name);
        if (!f)
            fail(msg::UnknownFunction, c.name.c_str(), start + 1);
        if (peek() == '(') {
            ++pos_;
            skipBlanks();
            if (peek() == ')')
                ++pos_;
            else
                for (;;) {
                    skipBlanks();
                    c.args.push_back(value());
                    skipBlanks();
                    if (peek() == ',') {
                        ++pos_;
                        continue;
                    }
                    if (peek() == ')') {
                        ++pos_;
                        break;
                    }
                    syntax(atEnd() ? "a '(' is not closed" : "expected ',' or ')' after an argument", pos_);
                }
        }
        if (c.args.size() < f->minArgs || c.args.size() > f->maxArgs)
            fail(msg::ArgumentCount, c.name.c_str(), f->takes);
        return f->run(c);
    }

    // Rows of elements; each row joined along the columns, then the rows
    // joined along the rows. In braces each element is first put in a cell.
    QxArrayPtr matrix(char close, bool cells)
    {
        std::size_t open = pos_++;
        std::vector<std::vector<QxArrayPtr>> rows;
        std::vector<QxArrayPtr> row;
        bool afterComma = false;
        for (;;) {
            skipBlanks();
            if (atEnd())
                syntax(cells ? "a '{' is not closed" : "a '[' is not closed", open);
            char c = peek();
            if (c == close) {
                ++pos_;
                break;
            }
            if (c == ';') {
                ++pos_;
                if (!row.empty())
                    rows.push_back(std::move(row));
                row.clear();
                afterComma = false;
                continue;
            }
            if (c == ',') {
                if (row.empty() || afterComma)
                    syntax("unexpected ','", pos_);
                ++pos_;
                afterComma = true;
                continue;
            }
            if (c == ']' || c == '}' || c == ')')
                syntax(("unexpected '" + std::string(1, c) + "'").c_str(), pos_);
            QxArrayPtr element = value();
            row.push_back(cells ? cellOf(std::move(element)) : std::move(element));
            afterComma = false;
            char next = peek();
            if (!atEnd() && !isBlank(next) && next != ',' && next != ';' && next != close)
                syntax("expected a blank, ',' or ';' after an element", pos_);
        }
        if (!row.empty())
            rows.push_back(std::move(row));
        if (rows.empty())
            return QxArrayPtr(cells ? qxCreateCellMatrix(0, 0) : qxCreateDoubleMatrix(0, 0, qxREAL));
        std::vector<QxArrayPtr> joined;
        std::vector<const qxArray*> parts;
        for (const auto& r : rows) {
            std::vector<const qxArray*> elements;
            for (const QxArrayPtr& e : r)
                elements.push_back(e.get());
            joined.push_back(concatenate(2, elements));
            parts.push_back(joined.back().get());
        }
        return concatenate(1, parts);
    }

    std::string_view s_;
    std::size_t pos_;
    int depth_ = 0;
};

} // namespace

QxArrayPtr parseLiteral(std::string_view text, std::size_t& pos)
{
    Reader r(text, pos);
    r.skipBlanks();
    QxArrayPtr a = r.value();
    pos = r.pos();
    return a;
}

QxArrayPtr parseLiteral(std::string_view text)
{
    std::size_t pos = 0;
    QxArrayPtr a = parseLiteral(text, pos);
    while (pos < text.size() && isBlank(text[pos]))
        ++pos;
    if (pos < text.size())
        fail(msg::TrailingText, pos + 1, std::string(text.substr(pos)).c_str());
    return a;
}

std::vector<std::string_view> literalFunctions()
{
    std::vector<std::string_view> names;
    for (const Function& f : functions)
        names.push_back(f.name);
    return names;
}

bool isLiteralFunction(std::string_view name)
{
    for (const Function& f : functions)
        if (name == f.name)
            return true;
    return false;
}

} // namespace vxhost
