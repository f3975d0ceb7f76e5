// Matching a text against a fixed list of names, the way users abbreviate:
// the name equal to the text wins, otherwise the one name that begins with the
// text; none when no name begins with it or when several do and none equals
// it. Built once from the names (sorted, bucketed by first byte), it answers
// without building strings and looks at a handful of names at most.
//
// A caller that hands back the matcher's own copy of a name (keyAt) is
// answered by address alone (fromKey).
//
// With Case::Fold, names and texts are compared after the C library's tolower
// of each byte (current C locale); with Case::Exact, byte for byte.
#pragma once

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

#include <boost/container/small_vector.hpp>

namespace ut {

// The C library's lower-case table for the calling thread's locale (null
// where the C library offers none: foldByte then calls tolower). Fetched once
// per text instead of once per byte.
inline const std::int32_t* lowerCaseTable()
{
#ifdef __GLIBC__
    return *__ctype_tolower_loc();
#else
    return nullptr;
#endif
}

// tolower of one byte, taken as an unsigned byte value.
inline char foldByte(char c, const std::int32_t* table)
{
    const auto u = static_cast<unsigned char>(c);
    return static_cast<char>(table ? table[u] : std::tolower(u));
}

class NameMatcher {
public:
    enum class Case : std::uint8_t { Exact, Fold };
    // Results of match and find besides a name's position.
    static constexpr int none = -1;
    static constexpr int ambiguous = -2;

    explicit NameMatcher(Case c = Case::Fold) : case_(c) {}

    // Appends a name; its position is the number of names added before it.
    void add(std::string_view name)
    {
        if (entries_.size() >= 0xffff)
            throw std::length_error("NameMatcher: too many names");
        const std::int32_t* table = foldTable();
        char* stored = storage(name.size() + 1);
        for (std::size_t i = 0; i < name.size(); ++i)
            stored[i] = key(name[i], table);
        stored[name.size()] = '\0';
        const Entry e{stored, static_cast<std::uint32_t>(name.size()), static_cast<std::uint32_t>(keys_.size())};
        // The first name equal to this one answers for its address too.
        const int first = find(keyOf(e));
        keys_.push_back(stored);
        // Sorted by key bytes, equal keys in the order added; a prefix sorts
        // before every longer name it begins.
        auto at = std::upper_bound(entries_.begin(), entries_.end(), e,
                                   [](const Entry& a, const Entry& b) { return keyOf(a) < keyOf(b); });
        entries_.insert(at, e);
        for (std::size_t b = firstByteOf(e) + 1; b < firstByte_.size(); ++b)
            ++firstByte_[b];
        const std::pair<const char*, int> address{e.key, first >= 0 ? first : static_cast<int>(e.position)};
        byAddress_.insert(std::upper_bound(byAddress_.begin(), byAddress_.end(), address,
                                           [](const auto& a, const auto& b) { return std::less<const char*>()(a.first, b.first); }),
                          address);
    }

    // The matcher's own copy of the name at `position` (lower-cased with
    // Case::Fold), NUL-terminated; it stays where it is as long as the matcher.
    const char* keyAt(int position) const
    {
        return position >= 0 && std::size_t(position) < keys_.size() ? keys_[std::size_t(position)] : nullptr;
    }
    // When `p` is the matcher's own copy of a name (keyAt), the position of the
    // first name equal to it, found without reading the text; none otherwise.
    int fromKey(const char* p) const
    {
        const auto at = std::lower_bound(byAddress_.begin(), byAddress_.end(), p, [](const auto& a, const char* q) {
            return std::less<const char*>()(a.first, q);
        });
        return at != byAddress_.end() && at->first == p ? at->second : none;
    }

    std::size_t size() const { return entries_.size(); }

    // The position of the name `text` selects (exact, else unique prefix), or
    // none, or ambiguous. A null text selects nothing.
    int match(const char* text) const { return text ? search<true>(text, 0) : none; }
    int match(std::string_view text) const { return search<false>(text.data(), text.size()); }

    // The position of the first name equal to `text`, or none.
    int find(const char* text) const { return text ? exact<true>(text, 0) : none; }
    int find(std::string_view text) const { return exact<false>(text.data(), text.size()); }
    // How many names equal `text`.
    int count(const char* text) const
    {
        if (!text)
            return 0;
        int n = 0;
        const std::int32_t* table = foldTable();
        const auto [lo, hi] = bucket<true>(text, 0, table);
        for (std::size_t i = lo; i < hi; ++i)
            n += (case_ == Case::Fold ? compare<true, true>(entries_[i], text, 0, table)
                                      : compare<true, false>(entries_[i], text, 0, table)) == Relation::Equal;
        return n;
    }

private:
    struct Entry {
        const char* key;
        std::uint32_t length, position;
    };
    enum class Relation { Other, Prefix, Equal };

    static std::string_view keyOf(const Entry& e) { return {e.key, e.length}; }
    // The first key byte, 0 for the empty name (which no text's first byte selects).
    std::size_t firstByteOf(const Entry& e) const
    {
        return e.length ? static_cast<unsigned char>(e.key[0]) : 0;
    }

    // Read once per search (null when names are compared as they are).
    const std::int32_t* foldTable() const { return case_ == Case::Exact ? nullptr : lowerCaseTable(); }
    char key(char c, const std::int32_t* table) const { return case_ == Case::Exact ? c : foldByte(c, table); }

    // Names whose first key byte is the folded first byte of the text (all
    // names for the empty text).
    template <bool Terminated>
    std::pair<std::size_t, std::size_t> bucket(const char* text, std::size_t length, const std::int32_t* table) const
    {
        if (Terminated ? text[0] == '\0' : length == 0)
            return {0, entries_.size()};
        const auto b = static_cast<unsigned char>(key(text[0], table));
        return {firstByte_[b], firstByte_[b + 1u]};
    }

    // How `text` stands to a name: equal, a beginning of it, or neither.
    // Terminated texts run to their NUL; others have `length` bytes. Keys end
    // in a NUL that no folded byte of a text equals, which ends a name.
    template <bool Terminated, bool Fold>
    Relation compare(const Entry& e, const char* text, std::size_t length, const std::int32_t* table) const
    {
        const char* name = e.key;
        for (std::size_t i = 0;; ++i) {
            if (Terminated ? text[i] == '\0' : i == length)
                return i == e.length ? Relation::Equal : Relation::Prefix;
            const char c = Fold ? foldByte(text[i], table) : text[i];
            if (c != name[i] || (!Terminated && i == e.length))
                return Relation::Other;
        }
    }

    template <bool Terminated>
    int search(const char* text, std::size_t length) const
    {
        return case_ == Case::Fold ? search<Terminated, true>(text, length) : search<Terminated, false>(text, length);
    }
    template <bool Terminated, bool Fold>
    int search(const char* text, std::size_t length) const
    {
        const std::int32_t* table = Fold ? lowerCaseTable() : nullptr;
        const auto [lo, hi] = bucket<Terminated>(text, length, table);
        // The names beginning with the text are adjacent in sorted order, and
        // the one equal to it (if any) comes first among them.
        for (std::size_t i = lo; i < hi; ++i) {
            const Relation r = compare<Terminated, Fold>(entries_[i], text, length, table);
            if (r == Relation::Other)
                continue;
            if (r == Relation::Equal)
                return static_cast<int>(entries_[i].position);
            if (i + 1 < hi && compare<Terminated, Fold>(entries_[i + 1], text, length, table) != Relation::Other)
                return ambiguous;
            return static_cast<int>(entries_[i].position);
        }
        return none;
    }

    template <bool Terminated>
    int exact(const char* text, std::size_t length) const
    {
        return case_ == Case::Fold ? exact<Terminated, true>(text, length) : exact<Terminated, false>(text, length);
    }
    template <bool Terminated, bool Fold>
    int exact(const char* text, std::size_t length) const
    {
        const std::int32_t* table = Fold ? lowerCaseTable() : nullptr;
        const auto [lo, hi] = bucket<Terminated>(text, length, table);
        for (std::size_t i = lo; i < hi; ++i)
            if (compare<Terminated, Fold>(entries_[i], text, length, table) == Relation::Equal)
                return static_cast<int>(entries_[i].position);
        return none;
    }

    Case case_;
    // `n` bytes that stay where they are: keys are packed into blocks that
    // are never moved or freed before the matcher.
    char* storage(std::size_t n)
    {
        if (blocks_.empty() || blockSize_ - blockUsed_ < n) {
            blockSize_ = std::max<std::size_t>(256, n);
            blocks_.push_back(std::make_unique<char[]>(blockSize_));
            blockUsed_ = 0;
        }
        char* p = blocks_.back().get() + blockUsed_;
        blockUsed_ += n;
        return p;
    }

    template <class T>
    using List = boost::container::small_vector<T, 16>;
    std::vector<std::unique_ptr<char[]>> blocks_;
    std::size_t blockSize_ = 0, blockUsed_ = 0;
    List<const char*> keys_;                     // by position, each ending in a NUL
    List<Entry> entries_;                        // sorted by key
    List<std::pair<const char*, int>> byAddress_; // keys by address: first equal name
    // Sorted entries whose key begins with byte b: [firstByte_[b], firstByte_[b + 1]).
    std::array<std::uint16_t, 257> firstByte_{};
};

} // namespace ut
