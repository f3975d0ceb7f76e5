#include "gui_objects/string_parse.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "gui_objects/gui_objects.h"
#include "gui_objects/utf16_string.h"

namespace gui_objects::convert_from_string_utils {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

class StringLiteralParser {
public:
    explicit StringLiteralParser(std::string_view text) : text_(text) {}

    // The array of a literal that makes up the whole text; null otherwise.
    qxArray* parse()
    {
        skipBlanks();
        QxArrayPtr result;
        switch (peek()) {
        case '\'': {
            std::optional<std::string> s = quoted();
            if (!s)
                return nullptr;
            result.reset(createCharRow(utf16FromUtf8(*s)));
            break;
        }
        case '[': result.reset(matrix()); break;
        case '{': result.reset(cell()); break;
        default: return nullptr;
        }
        skipBlanks();
        return result && atEnd() ? result.release() : nullptr;
    }

private:
    using Rows = std::vector<std::vector<std::string>>;

    bool atEnd() const { return pos_ >= text_.size(); }
    char peek() const { return atEnd() ? '\0' : text_[pos_]; }
    void skipBlanks()
    {
        while (!atEnd() && isBlank(text_[pos_]))
            ++pos_;
    }

    std::optional<std::string> quoted()
    {
        std::string s;
        ++pos_; // the opening quote
        for (;;) {
            if (atEnd())
                return std::nullopt;
            char c = text_[pos_++];
            if (c != '\'') {
                s.push_back(c);
            } else if (peek() == '\'') {
                s.push_back('\'');
                ++pos_;
            } else {
                return s;
            }
        }
    }

    // Rows of quoted pieces up to `close`; nullopt on any departure from the
    // grammar. No rows for an immediately closed bracket.
    std::optional<Rows> rows(char close)
    {
        ++pos_; // the opening bracket
        Rows rows;
        skipBlanks();
        if (peek() == close) {
            ++pos_;
            return rows;
        }
        rows.emplace_back();
        for (;;) {
            if (peek() != '\'')
                return std::nullopt;
            std::optional<std::string> piece = quoted();
            if (!piece)
                return std::nullopt;
            rows.back().push_back(std::move(*piece));
            skipBlanks();
            char c = peek();
            if (c == close) {
                ++pos_;
                return rows;
            }
            if (c == ';') {
                ++pos_;
                rows.emplace_back();
            } else if (c == ',') {
                ++pos_;
            }
            skipBlanks();
        }
    }

    qxArray* matrix()
    {
        std::optional<Rows> parsed = rows(']');
        if (!parsed)
            return nullptr;
        std::vector<UTF16String> lines;
        for (const std::vector<std::string>& pieces : *parsed) {
            std::string joined;
            for (const std::string& p : pieces)
                joined += p;
            lines.push_back(utf16FromUtf8(joined));
            if (lines.back().length() != lines.front().length())
                return nullptr;
        }
        if (lines.empty())
            return qxCreateString_UTF16n(nullptr, 0);
        if (lines.size() == 1)
            return createCharRow(lines.front());
        return createCharMatrix(lines, ' ');
    }

    qxArray* cell()
    {
        std::optional<Rows> parsed = rows('}');
        if (!parsed)
            return nullptr;
        qxSize m = parsed->size(), n = m ? parsed->front().size() : 0;
        for (const std::vector<std::string>& row : *parsed)
            if (row.size() != n)
                return nullptr;
        QxArrayPtr cells(qxCreateCellMatrix(m, n));
        for (qxSize i = 0; i < m; ++i)
            for (qxSize j = 0; j < n; ++j)
                qxSetCell(cells.get(), j * m + i, createCharRow(utf16FromUtf8((*parsed)[i][j])));
        return cells.release();
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

} // namespace

qxArray* parse_strings(const char* text)
{
    if (!text)
        return nullptr;
    std::string_view all(text);
    std::size_t first = 0;
    while (first < all.size() && isBlank(all[first]))
        ++first;
    if (first == all.size() || (all[first] != '\'' && all[first] != '[' && all[first] != '{'))
        return createCharRow(utf16FromUtf8(all));
    return StringLiteralParser(all).parse();
}

} // namespace gui_objects::convert_from_string_utils
