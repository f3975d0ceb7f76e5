// Matching a text against a fixed list of names, the way users abbreviate:
// the name equal to the text wins, otherwise the one name that begins with the
// text; none when no name begins with it or when several do and none equals
// it. Built from the names as they are added (each name goes into a chain of
// the names sharing its first byte, kept in byte order), it answers without
// building strings and looks at a handful of names at most. Texts of up to
// eight bytes are compared with a name eight bytes at a time, and the last
// such text matched is remembered, so that asking twice about one text (is it
// valid, then which value) matches it once.
//
// A caller that hands back the matcher's own copy of a name (keyAt) is
// answered by address alone (fromKey), without reading the text.
//
// With Case::Fold, names and texts are compared after the C library's tolower
// of each byte (current C locale); with Case::Exact, byte for byte.
#pragma once

#include <algorithm>
#include <array>
#include <bit>
#include <atomic>
#include <cctype>
#include <cstdint>
#include <cstring>
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
    // Where the C library keeps the calling thread's table (switching locales
    // changes the table, not where it is kept): asked once per thread.
    [[gnu::tls_model("initial-exec")]] static thread_local const std::int32_t** where = nullptr;
    if (!where)
        where = __ctype_tolower_loc();
    return *where;
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

    explicit NameMatcher(Case c = Case::Fold) : case_(c) { head_.fill(end); }
    NameMatcher(const NameMatcher&) = delete;
    NameMatcher& operator=(const NameMatcher&) = delete;

    // Appends a name; its position is the number of names added before it.
    void add(std::string_view name)
    {
        if (entries_.size() >= end)
            throw std::length_error("NameMatcher: too many names");
        const auto position = static_cast<Index>(entries_.size());
        char* stored = storage(name.size());
        if (case_ == Case::Fold) {
            const std::int32_t* table = lowerCaseTable();
            for (std::size_t i = 0; i < name.size(); ++i)
                stored[i] = foldByte(name[i], table);
        } else if (!name.empty()) {
            std::memcpy(stored, name.data(), name.size());
        }
        stored[name.size()] = '\0';
        Entry e{{}, stored, static_cast<std::uint32_t>(name.size()), position, position, end};
        std::memcpy(e.head, stored, std::min(name.size() + 1, inlineBytes));
        const std::string_view key = keyOf(e);
        // The chain of the first byte stays in byte order, equal names in the
        // order added, so a name comes before every longer name it begins.
        Index* link = &head_[firstByteOf(e)];
        while (*link != end && keyOf(entries_[*link]) <= key) {
            if (keyOf(entries_[*link]) == key && entries_[*link].firstEqual == *link)
                e.firstEqual = *link;
            link = &entries_[*link].next;
        }
        e.next = *link;
        const Index header[2] = {position, e.firstEqual};
        std::memcpy(stored - sizeof header, header, sizeof header);
        *link = position;
        entries_.push_back(e);
        forget();
    }

    // The matcher's own copy of the name at `position` (lower-cased with
    // Case::Fold), NUL-terminated; it stays where it is as long as the matcher.
    const char* keyAt(int position) const
    {
        return position >= 0 && std::size_t(position) < entries_.size() ? entries_[std::size_t(position)].key
                                                                          : nullptr;
    }
    // When `p` is the matcher's own copy of a name (keyAt), the position of the
    // first name equal to it, found without reading the text; none otherwise.
    int fromKey(const char* p) const
    {
        const auto at = reinterpret_cast<std::uintptr_t>(p);
        // The last copy found is remembered with its answer: the answer of an
        // address never changes while the names stay.
        const std::uint64_t known = keyMemo_.load(std::memory_order_relaxed);
        if (at != 0 && (known & keyMemoAddress) == at)
            return static_cast<int>(known >> keyMemoShift);
        for (const Block& b : blocks_) {
            // The offset of `p` in the block, when it lies past a header.
            const std::size_t offset = at - reinterpret_cast<std::uintptr_t>(b.bytes.get());
            if (offset - headerBytes < b.used - headerBytes) {
                Index header[2]; // position, first equal name
                std::memcpy(header, b.bytes.get() + (offset - headerBytes), headerBytes);
                if (header[0] >= entries_.size() || entries_[header[0]].key != p)
                    return none;
                if ((at & ~keyMemoAddress) == 0)
                    keyMemo_.store(at | std::uint64_t(header[1]) << keyMemoShift, std::memory_order_relaxed);
                return header[1];
            }
        }
        return none;
    }

    std::size_t size() const { return entries_.size(); }
    // Forgets every name (their copies go with them).
    void clear()
    {
        entries_.clear();
        blocks_.clear();
        head_.fill(end);
        forget();
    }

    // The position of the name `text` selects (exact, else unique prefix), or
    // none, or ambiguous. A null text selects nothing.
    int match(const char* text) const
    {
        if (!text)
            return none;
        // Texts of one to eight bytes, the usual case, are compared a word at a time.
        std::uint64_t word;
        std::size_t length;
        if (!packShort(text, word, length))
            return matchLong(text);
        const std::uint64_t memo = memo_.load(std::memory_order_relaxed);
        // A text with a byte above 127 never equals a key. A text remembered as
        // matched with folding holds for a caller whose lower-case table is
        // the one seen to fold ASCII as the classic locale does.
        const int known = remembered(memo, word | (memo & memoFolded), length);
        if (known >= 0 &&
            (!(memo & memoFolded) || lowerCaseTable() == asciiTable_.load(std::memory_order_relaxed)))
            return known;
        return case_ == Case::Fold ? matchShort<true>(word, length, memo) : matchShort<false>(word, length, memo);
    }
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
        const int first = find(text);
        for (const Entry& e : entries_)
            n += first >= 0 && e.firstEqual == first;
        return n;
    }

private:
    using Index = std::uint16_t;
    static constexpr Index end = 0xffff; // no entry; also one more than the most names
    // The first bytes of a key are kept in its entry, so that comparing a
    // text with a short name reads no memory beyond the entry.
    static constexpr std::size_t inlineBytes = 16;
    struct Entry {
        char head[inlineBytes];     // the key's first bytes and its NUL when they fit
        const char* key;
        std::uint32_t length;
        Index position, firstEqual; // firstEqual: the first name equal to this one
        Index next;                 // the next name of the same first byte, in byte order
        // The key's bytes, from the entry itself when they fit.
        const char* bytes() const { return length < inlineBytes ? head : key; }
        // The key's first eight bytes packed as packShort packs a text, zeros
        // past its end (the head is zero past the key's NUL).
        std::uint64_t word() const
        {
            std::uint64_t w = 0;
            if constexpr (std::endian::native == std::endian::little) {
                std::memcpy(&w, head, sizeof w);
            } else {
                for (std::size_t i = 0; i < sizeof w; ++i)
                    w |= std::uint64_t(static_cast<unsigned char>(head[i])) << (8 * i);
            }
            return w;
        }
    };
    enum class Relation { Other, Prefix, Equal };

    static std::string_view keyOf(const Entry& e) { return {e.key, e.length}; }
    // The first key byte, 0 for the empty name (which no text's first byte selects).
    static std::size_t firstByteOf(const Entry& e) { return e.length ? static_cast<unsigned char>(e.key[0]) : 0; }

    // How `text` stands to a name: equal, a beginning of it, or neither.
    // Terminated texts run to their NUL; others have `length` bytes. Keys end
    // in a NUL that no folded byte of a text equals, which ends a name. A text
    // byte equal to the name's byte matches as it is (a name's folded byte
    // folds to itself); the lower-case table is fetched for the first byte
    // that differs, once per search.
    template <bool Terminated, bool Fold>
    static Relation compare(const Entry& e, const char* text, std::size_t length, const std::int32_t*& table,
                            bool& fetched)
    {
        const char* name = e.bytes();
        for (std::size_t i = 0;; ++i) {
            if (Terminated ? text[i] == '\0' : i == length)
                return i == e.length ? Relation::Equal : Relation::Prefix;
            if (!Terminated && i == e.length)
                return Relation::Other;
            char c = text[i];
            if (c == name[i])
                continue;
            if (!Fold)
                return Relation::Other;
            if (!fetched) {
                table = lowerCaseTable();
                fetched = true;
            }
            c = foldByte(c, table);
            if (c != name[i] || c == '\0')
                return Relation::Other;
        }
    }

    // The chain of names whose first key byte is the text's first byte, folded.
    template <bool Fold>
    Index chainOf(char first, const std::int32_t*& table, bool& fetched) const
    {
        if (!Fold)
            return head_[static_cast<unsigned char>(first)];
        const Index direct = head_[static_cast<unsigned char>(first)];
        if (direct != end)
            return direct;
        table = lowerCaseTable();
        fetched = true;
        return head_[static_cast<unsigned char>(foldByte(first, table))];
    }

    // A text of one to eight bytes packed in a word, its first byte lowest, the
    // bytes past its end zero; false for the empty text and longer ones. Reads
    // no byte past the text's NUL.
    template <std::size_t I = 0>
    static bool packShort(const char* text, std::uint64_t& word, std::size_t& length, std::uint64_t w = 0)
    {
        const auto c = static_cast<unsigned char>(text[I]);
        if (c == 0) {
            word = w;
            length = I;
            return I != 0;
        }
        if constexpr (I == 8)
            return false;
        else
            return packShort<I + 1>(text, word, length, w | std::uint64_t(c) << (8 * I));
    }
    // The high bit of each byte of `x` that is zero, the others clear.
    static constexpr std::uint64_t lows = 0x7f7f7f7f7f7f7f7fULL;
    static std::uint64_t zeroBytes(std::uint64_t x) { return ~(((x & lows) + lows) | x | lows); }
    static constexpr std::uint64_t ones = 0x0101010101010101ULL;
    // Each byte of a packed text folded. Texts of ASCII bytes are folded all at
    // once when `table` is one already seen to fold them as the classic locale
    // does (A-Z to a-z, nothing else); other bytes and tables a byte at a time.
    std::uint64_t foldShort(std::uint64_t word, std::size_t length, const std::int32_t* table) const
    {
        if ((word & ~lows) == 0 && table && table == asciiTable_.load(std::memory_order_relaxed))
            return foldAscii(word);
        std::uint64_t folded = 0;
        for (std::size_t i = 0; i < length; ++i)
            folded |= std::uint64_t(static_cast<unsigned char>(foldByte(char(word >> (8 * i)), table))) << (8 * i);
        if (table && table != asciiTable_.load(std::memory_order_relaxed) && foldsLikeClassic(table))
            asciiTable_.store(table, std::memory_order_relaxed);
        return folded;
    }
    // A text of ASCII bytes folded as the classic locale folds it.
    static std::uint64_t foldAscii(std::uint64_t word)
    {
        const std::uint64_t fromA = word + (0x80 - 'A') * ones;     // high bit: byte >= 'A'
        const std::uint64_t pastZ = word + (0x80 - 'Z' - 1) * ones; // high bit: byte > 'Z'
        return word | ((fromA & ~pastZ & ~lows) >> 2);
    }
    static bool foldsLikeClassic(const std::int32_t* table)
    {
        for (int c = 0; c < 0x80; ++c)
            if (table[c] != (c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c))
                return false;
        return true;
    }

    // The last ASCII text of up to eight bytes matched, so that the second of
    // two calls for the same text (a converter asks whether a text is valid,
    // then for its value) finds its name at once. One word, so that threads
    // sharing the matcher read it whole; zero, which no text packs to,
    // remembers nothing. The text's bytes leave the high bit of each byte free:
    // - up to six bytes: the bytes, then the name's position in byte 6 (its
    //   high bit clear);
    // - seven or eight bytes: the bytes, the position in the high bits of
    //   bytes 0 to 5, and the high bit of byte 6 set.
    // The top bit tells that the match needed folding. Without it the text's
    // bytes as given select the name in every locale; with it, in every
    // locale that folds ASCII as the classic one does, which is checked by
    // the table (asciiTable_). A text whose folding in the caller's locale is
    // anything else is not remembered.
    static constexpr std::uint64_t memoFolded = std::uint64_t(1) << 63;
    static constexpr std::uint64_t memoLong = std::uint64_t(1) << 55;
    static constexpr std::size_t memoShortBytes = 6;
    static constexpr std::uint64_t memoShortKey = 0x0000ffffffffffffULL | memoLong | memoFolded;
    static constexpr std::uint64_t memoLongKey = lows | memoLong | memoFolded;
    static constexpr int memoPositions = 64; // positions below this are remembered
    static std::uint64_t memoOf(std::uint64_t key, std::size_t length, int position, bool folded)
    {
        if (length <= memoShortBytes) {
            key |= std::uint64_t(position) << (8 * memoShortBytes);
        } else {
            for (int i = 0; i < 6; ++i)
                key |= std::uint64_t((position >> i) & 1) << (8 * i + 7);
            key |= memoLong;
        }
        return folded ? key | memoFolded : key;
    }
    // The remembered position when `key` (a packed text, with memoFolded for
    // a match that needed folding) is the memo's key, else -1.
    static int remembered(std::uint64_t memo, std::uint64_t key, std::size_t length)
    {
        if (length <= memoShortBytes)
            return (memo & memoShortKey) == key ? int(memo >> (8 * memoShortBytes)) & 0x7f : -1;
        if ((memo & memoLongKey) != (key | memoLong))
            return -1;
        // Gathers the high bits of bytes 0 to 5 into one byte.
        return int((((memo >> 7) & 0x0000010101010101ULL) * 0x0102040810204080ULL) >> 56);
    }
    void forget()
    {
        memo_.store(0, std::memory_order_relaxed);
        keyMemo_.store(0, std::memory_order_relaxed);
    }

    // match of a packed text (packShort) that the memo does not hold.
    template <bool Fold>
    [[gnu::noinline]] int matchShort(std::uint64_t word, std::size_t length, std::uint64_t memo) const
    {
        Search found{word, 0, nullptr, false};
        const int result = searchShort<Fold>(found, length);
        const bool classic =
            !found.fetched || (found.table && found.table == asciiTable_.load(std::memory_order_relaxed));
        if (result >= 0 && result < memoPositions && (word & ~lows) == 0 && classic) {
            const std::uint64_t next = memoOf(word, length, result, found.fetched);
            if (next != memo)
                memo_.store(next, std::memory_order_relaxed);
        }
        return result;
    }

    // A packed text, and its folded bytes once the lower-case table is fetched.
    struct Search {
        std::uint64_t word, folded;
        const std::int32_t* table;
        bool fetched;
    };
    void fold(Search& s, std::size_t length) const
    {
        if (s.fetched)
            return;
        s.table = lowerCaseTable();
        s.folded = foldShort(s.word, length, s.table);
        s.fetched = true;
    }

    // The same answers as searchText, a name at a time instead of a byte at a
    // time. A text byte matches a name's byte when it equals it as it is or
    // folded; the lower-case table is fetched only when some byte does not
    // match as it is.
    template <bool Fold>
    int searchShort(Search& s, std::size_t length) const
    {
        const std::uint64_t lanes = length == 8 ? ~std::uint64_t(0) : (std::uint64_t(1) << (8 * length)) - 1;
        const std::uint64_t all = lanes & ~lows; // the high bit of each byte of the text
        Index i = head_[s.word & 0xff];
        if (Fold && i == end) {
            fold(s, length);
            i = head_[s.folded & 0xff];
        }
        // Every name of the chain begins with the text's first byte (folded).
        for (; i != end; i = entries_[i].next) {
            const Entry& e = entries_[i];
            std::uint64_t same = zeroBytes(e.word() ^ s.word);
            if ((same & all) != all) {
                if (!Fold)
                    continue;
                fold(s, length);
                // A name's NUL (or the end of a short name) matches no byte.
                same = (same | zeroBytes(e.word() ^ s.folded)) & ~zeroBytes(e.word());
                if ((same & all) != all)
                    continue;
            }
            if (e.length == length)
                return e.position;
            // The text is the beginning of this name: of the next one too when
            // that begins with the same bytes.
            if (e.next != end) {
                const Entry& n = entries_[e.next];
                if (n.length >= length && ((n.word() ^ e.word()) & lanes) == 0)
                    return ambiguous;
            }
            return e.position;
        }
        return none;
    }

    // match of a NUL-terminated text longer than eight bytes (or empty).
    [[gnu::noinline]] int matchLong(const char* text) const
    {
        return case_ == Case::Fold ? searchText<true>(text) : searchText<false>(text);
    }
    template <bool Fold>
    int searchText(const char* text) const
    {
        const auto first = static_cast<unsigned char>(text[0]);
        if (first == 0)
            return search<true, Fold>(text, 0);
        const std::int32_t* table = nullptr;
        Index i = head_[first];
        if (Fold && i == end) {
            table = lowerCaseTable();
            i = head_[static_cast<unsigned char>(foldByte(text[0], table))];
        }
        // Every name of the chain begins with the text's first byte (folded).
        for (; i != end; i = entries_[i].next) {
            const Entry& e = entries_[i];
            const char* name = e.bytes();
            for (std::size_t k = 1;; ++k) {
                const char c = text[k];
                if (c == '\0') {
                    if (k == e.length)
                        return e.position;
                    // The text is the beginning of this name: of the next one
                    // too when that begins with the same k bytes.
                    if (e.next != end) {
                        const Entry& n = entries_[e.next];
                        if (n.length >= k && std::memcmp(n.bytes(), name, k) == 0)
                            return ambiguous;
                    }
                    return e.position;
                }
                if (c == name[k])
                    continue;
                if (!Fold || name[k] == '\0')
                    break;
                if (!table)
                    table = lowerCaseTable();
                if (foldByte(c, table) != name[k])
                    break;
            }
        }
        return none;
    }

    template <bool Terminated>
    int search(const char* text, std::size_t length) const
    {
        return case_ == Case::Fold ? search<Terminated, true>(text, length) : search<Terminated, false>(text, length);
    }
    template <bool Terminated, bool Fold>
    int search(const char* text, std::size_t length) const
    {
        // Every name begins with the empty text: an empty name is equal to it,
        // else a single name is selected and two or more are ambiguous.
        if (Terminated ? text[0] == '\0' : length == 0) {
            if (head_[0] != end && entries_[head_[0]].length == 0)
                return entries_[head_[0]].position;
            return entries_.empty() ? none : entries_.size() == 1 ? 0 : ambiguous;
        }
        const std::int32_t* table = nullptr;
        bool fetched = false;
        // The names beginning with the text are adjacent in their chain, and
        // the one equal to it (if any) comes first among them.
        for (Index i = chainOf<Fold>(text[0], table, fetched); i != end; i = entries_[i].next) {
            const Relation r = compare<Terminated, Fold>(entries_[i], text, length, table, fetched);
            if (r == Relation::Other)
                continue;
            if (r == Relation::Equal)
                return entries_[i].position;
            const Index next = entries_[i].next;
            if (next != end && compare<Terminated, Fold>(entries_[next], text, length, table, fetched) != Relation::Other)
                return ambiguous;
            return entries_[i].position;
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
        if (Terminated ? text[0] == '\0' : length == 0)
            return head_[0] != end && entries_[head_[0]].length == 0 ? entries_[head_[0]].position : none;
        const std::int32_t* table = nullptr;
        bool fetched = false;
        for (Index i = chainOf<Fold>(text[0], table, fetched); i != end; i = entries_[i].next)
            if (compare<Terminated, Fold>(entries_[i], text, length, table, fetched) == Relation::Equal)
                return entries_[i].position;
        return none;
    }

    // Room for a name of `n` bytes and its NUL, preceded by a header (its
    // position and the first name equal to it, for fromKey). Names are packed
    // into blocks that are never moved or freed before the matcher.
    static constexpr std::size_t headerBytes = 2 * sizeof(Index);
    char* storage(std::size_t n)
    {
        const std::size_t need = headerBytes + n + 1;
        if (blocks_.empty() || blocks_.back().size - blocks_.back().used < need) {
            const std::size_t size = std::max<std::size_t>(256, need);
            blocks_.push_back(Block{std::unique_ptr<char[]>(new char[size]), size, 0});
        }
        Block& b = blocks_.back();
        char* p = b.bytes.get() + b.used;
        b.used += need;
        return p + headerBytes;
    }

    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t size, used;
    };
    Case case_;
    boost::container::small_vector<Block, 1> blocks_;
    boost::container::small_vector<Entry, 16> entries_; // by position
    // The first name of each first byte's chain (byte 0: the empty name and
    // names beginning with a NUL).
    std::array<Index, 256> head_;
    mutable std::atomic<std::uint64_t> memo_{0};
    // The last address fromKey found (low 48 bits, where user addresses lie)
    // and its answer above them; zero remembers nothing.
    static constexpr unsigned keyMemoShift = 48;
    static constexpr std::uint64_t keyMemoAddress = (std::uint64_t(1) << keyMemoShift) - 1;
    mutable std::atomic<std::uint64_t> keyMemo_{0};
    // The last lower-case table seen to fold ASCII as the classic locale does.
    mutable std::atomic<const std::int32_t*> asciiTable_{nullptr};
};

// Whether folding leaves every byte of `text` as it is.
inline bool isFolded(std::string_view text)
{
    const std::int32_t* table = lowerCaseTable();
    for (char c : text)
        if (foldByte(c, table) != c)
            return false;
    return true;
}

// Whether two texts are the same name in any letter case (each byte folded
// as the matcher folds it).
inline bool sameFolded(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    const std::int32_t* table = lowerCaseTable();
    for (std::size_t i = 0; i < a.size(); ++i)
        if (foldByte(a[i], table) != foldByte(b[i], table))
            return false;
    return true;
}

} // namespace ut
