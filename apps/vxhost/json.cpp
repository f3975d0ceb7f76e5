#include "json.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "ut/utf.h"

namespace vxhost::json {

namespace {

// The shortest text that reads back as the same value.
template <class T>
std::string shortest(T v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// The parts of a string the library does not write as the console does: an
// encoded surrogate (what an unpaired UTF-16 unit is kept as) and a byte that
// begins no UTF-8 sequence, which it cannot write at all, and the controls it
// writes short (\b, \f) or leaves as they are (DEL). The console writes each
// as the \u escape of its code (a stray byte: of the byte's value).
struct Escaped {
    std::size_t at, length;
    unsigned code;
};

Escaped nextEscaped(std::string_view s, std::size_t from)
{
    for (std::size_t i = from; i < s.size();) {
        unsigned cp = 0;
        std::size_t len = utf8_decode(s.data() + i, s.size() - i, cp);
        if (len == 0)
            return {i, 1, static_cast<unsigned char>(s[i])};
        if ((cp >= 0xd800 && cp < 0xe000) || cp == '\b' || cp == '\f' || cp == 0x7f)
            return {i, len, cp};
        i += len;
    }
    return {s.size(), 0, 0};
}

// Well-formed text between escapes, escaped by the library.
void appendPlain(std::string& out, std::string_view run)
{
    if (run.empty())
        return;
    // The run is well-formed UTF-8 without surrogates: the library writes all of it.
    std::string quoted = Value(std::string(run)).dump(-1, ' ', false, Value::error_handler_t::replace);
    out.append(quoted, 1, quoted.size() - 2);
}

} // namespace

Value number(double d)
{
    if (std::isnan(d))
        return "NaN";
    if (std::isinf(d))
        return d < 0 ? "-Inf" : "Inf";
    return d;
}

Value number(float f)
{
    if (!std::isfinite(f))
        return number(static_cast<double>(f));
    return std::strtod(shortest(f).c_str(), nullptr);
}

std::string text(const Value& v)
{
    switch (v.type()) {
    case Value::value_t::string: return v.get_ref<const std::string&>();
    case Value::value_t::number_float: return shortest(v.get<double>());
    case Value::value_t::object:
    case Value::value_t::array: return dump(v);
    default: return v.dump(); // integers exactly, true, false, null
    }
}

void appendQuoted(std::string& out, std::string_view s)
{
    out += '"';
    for (std::size_t i = 0; i < s.size();) {
        Escaped e = nextEscaped(s, i);
        appendPlain(out, s.substr(i, e.at - i));
        if (e.length) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", e.code);
            out += buf;
        }
        i = e.at + e.length;
    }
    out += '"';
}

void dump(const Value& v, std::string& out)
{
    switch (v.type()) {
    case Value::value_t::object: {
        out += '{';
        for (auto it = v.begin(); it != v.end(); ++it) {
            if (it != v.begin())
                out += ',';
            appendQuoted(out, it.key());
            out += ':';
            dump(it.value(), out);
        }
        out += '}';
        break;
    }
    case Value::value_t::array:
        out += '[';
        for (auto it = v.begin(); it != v.end(); ++it) {
            if (it != v.begin())
                out += ',';
            dump(*it, out);
        }
        out += ']';
        break;
    case Value::value_t::string: appendQuoted(out, v.get_ref<const std::string&>()); break;
    default: out += text(v); break;
    }
}

std::string dump(const Value& v)
{
    std::string out;
    dump(v, out);
    return out;
}

} // namespace vxhost::json
