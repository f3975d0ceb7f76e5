// A small ordered JSON value: what a statement answers, written as one line of
// JSON (dump) or shown readably (display.h). Objects keep their keys in the
// order they were set. Numbers are kept in their written form, so integers of
// 64 bits and the shortest round-trip form of doubles survive unchanged.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vxhost::json {

class Value {
public:
    enum class Kind { Null, Bool, Number, String, List, Object };

    Value() = default;
    static Value null() { return {}; }
    static Value boolean(bool b);
    // Finite doubles in their shortest round-trip form; NaN and the infinities
    // as the strings "NaN", "Inf" and "-Inf".
    static Value number(double d);
    // Single precision values in the shortest form that reads back as the same float.
    static Value number(float f);
    static Value integer(std::int64_t i);
    static Value unsignedInteger(std::uint64_t u);
    // Text in UTF-8 (see dump for what is escaped).
    static Value string(std::string s);
    static Value list();
    static Value object();

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::Null; }
    // The text of a string, the written form of a number, "true"/"false" of a bool.
    const std::string& text() const { return text_; }
    bool asBool() const { return kind_ == Kind::Bool && text_ == "true"; }

    // Lists and objects.
    std::size_t size() const { return items_.size(); }
    const Value& operator[](std::size_t i) const { return items_[i]; }
    const std::vector<Value>& items() const { return items_; }
    const std::vector<std::string>& keys() const { return keys_; }
    Value& push(Value v);
    // Objects: appends a key (a key set twice keeps its first place, new value).
    Value& set(std::string_view key, Value v);
    // Objects: the value of a key, or null when absent.
    const Value* find(std::string_view key) const;

    // A host array encoded by arrays_json.h carries this mark, so that the
    // readable display can show it the way a host shows an array.
    bool isHostArray() const { return hostArray_; }
    Value& markHostArray()
    {
        hostArray_ = true;
        return *this;
    }

    // One line of JSON. Control characters, quotes and backslashes are escaped;
    // UTF-8 passes through; an unpaired UTF-16 surrogate (kept as its 3-byte
    // form) is written as a \u escape; a byte that is not UTF-8 becomes the
    // code point of the same number.
    std::string dump() const;
    void dump(std::string& out) const;

    friend bool operator==(const Value& a, const Value& b);

private:
    Value(Kind k, std::string text) : kind_(k), text_(std::move(text)) {}
    Kind kind_ = Kind::Null;
    bool hostArray_ = false;
    std::string text_;
    std::vector<Value> items_;
    std::vector<std::string> keys_;
};

// Appends `s` as a quoted JSON string.
void appendQuoted(std::string& out, std::string_view s);

} // namespace vxhost::json
