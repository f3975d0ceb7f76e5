// Writing the short bracketed texts of geometric values into a fixed buffer:
// doubles as %g (six significant digits), integers in decimal.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace datatypes::detail {

// Longest text a geometric value writes, terminating NUL included (six numbers
// of at most 13 characters each plus brackets and separators).
inline constexpr std::size_t kGeometryTextCapacity = 128;

class TextWriter {
public:
    TextWriter(char* buffer, std::size_t size) : buffer_(buffer), size_(size) { buffer_[0] = '\0'; }
    TextWriter& text(const char* s) { return put("%s", s); }
    TextWriter& number(double v) { return put("%g", v); }
    TextWriter& number(std::int32_t v) { return put("%d", static_cast<int>(v)); }
    // Values separated by single blanks.
    template <class... T>
    TextWriter& list(T... values)
    {
        bool first = true;
        ((first ? (void)(first = false) : (void)text(" "), number(values)), ...);
        return *this;
    }
    // "[v1 v2 ...]"
    template <class... T>
    TextWriter& bracketed(T... values)
    {
        return text("[").list(values...).text("]");
    }

private:
    template <class T>
    TextWriter& put(const char* format, T v)
    {
        if (used_ < size_) {
            int n = std::snprintf(buffer_ + used_, size_ - used_, format, v);
            used_ += n > 0 ? static_cast<std::size_t>(n) : 0;
        }
        return *this;
    }
    char* buffer_;
    std::size_t size_;
    std::size_t used_ = 0;
};

} // namespace datatypes::detail
