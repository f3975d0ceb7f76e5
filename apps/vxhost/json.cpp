#include "json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "ut/utf.h"

namespace vxhost::json {

namespace {

template <class T>
std::string shortest(T v)
{
    char buf[64];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

// Length of the well-formed UTF-8 sequence at s[i] (surrogates included, as
// the 3-byte form an unpaired UTF-16 surrogate is kept in), 0 when there is none.
std::size_t sequenceLength(std::string_view s, std::size_t i, unsigned& codePoint)
{
    return utf8_decode(s.data() + i, s.size() - i, codePoint);
}

void appendEscape(std::string& out, unsigned codeUnit)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04x", codeUnit);
    out += buf;
}

} // namespace

Value Value::boolean(bool b) { return Value(Kind::Bool, b ? "true" : "false"); }

Value Value::number(double d)
{
    if (std::isnan(d))
        return string("NaN");
    if (std::isinf(d))
        return string(d < 0 ? "-Inf" : "Inf");
    return Value(Kind::Number, shortest(d));
}

Value Value::number(float f)
{
    if (std::isnan(f) || std::isinf(f))
        return number(static_cast<double>(f));
    return Value(Kind::Number, shortest(f));
}

Value Value::integer(std::int64_t i) { return Value(Kind::Number, shortest(i)); }
Value Value::unsignedInteger(std::uint64_t u) { return Value(Kind::Number, shortest(u)); }
Value Value::string(std::string s) { return Value(Kind::String, std::move(s)); }
Value Value::list() { return Value(Kind::List, {}); }
Value Value::object() { return Value(Kind::Object, {}); }

Value& Value::push(Value v)
{
    items_.push_back(std::move(v));
    return *this;
}

Value& Value::set(std::string_view key, Value v)
{
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key) {
            items_[i] = std::move(v);
            return *this;
        }
    keys_.emplace_back(key);
    items_.push_back(std::move(v));
    return *this;
}

const Value* Value::find(std::string_view key) const
{
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key)
            return &items_[i];
    return nullptr;
}

void appendQuoted(std::string& out, std::string_view s)
{
    out += '"';
    for (std::size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        unsigned cp = 0;
        std::size_t len = sequenceLength(s, i, cp);
        if (len == 0) { // not UTF-8: the byte's own code point
            appendEscape(out, c);
            ++i;
            continue;
        }
        if (cp >= 0xd800 && cp < 0xe000)
            appendEscape(out, cp);
        else if (c == '"')
            out += "\\\"";
        else if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (cp < 0x20 || cp == 0x7f)
            appendEscape(out, cp);
        else
            out.append(s.substr(i, len));
        i += len;
    }
    out += '"';
}

void Value::dump(std::string& out) const
{
    switch (kind_) {
    case Kind::Null: out += "null"; break;
    case Kind::Bool:
    case Kind::Number: out += text_; break;
    case Kind::String: appendQuoted(out, text_); break;
    case Kind::List:
        out += '[';
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (i)
                out += ',';
            items_[i].dump(out);
        }
        out += ']';
        break;
    case Kind::Object:
        out += '{';
        for (std::size_t i = 0; i < items_.size(); ++i) {
            if (i)
                out += ',';
            appendQuoted(out, keys_[i]);
            out += ':';
            items_[i].dump(out);
        }
        out += '}';
        break;
    }
}

std::string Value::dump() const
{
    std::string out;
    dump(out);
    return out;
}

bool operator==(const Value& a, const Value& b)
{
    return a.kind_ == b.kind_ && a.text_ == b.text_ && a.items_ == b.items_ && a.keys_ == b.keys_;
}

} // namespace vxhost::json
