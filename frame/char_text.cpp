#include <cstring>

#include "frame/datatype.h"
#define VX_MESSAGES "frame/messages.def"
#include "frame/messages.h"
#include "ut/utf.h"

namespace datatypes {

namespace {

// The rest of a text from unit `from` on, where a unit that is not plain
// ASCII or a NUL stands (or, without data, every unit a NUL): the codec
// converts it, then every NUL becomes the two characters backslash and zero,
// moving what follows it along, the text rewritten from its end. Returns the
// whole length.
[[gnu::noinline]] std::size_t finishText(const qxChar* units, std::size_t count, std::size_t from, char* out)
{
    std::size_t length = from;
    if (units) {
        length += utf16_to_utf8(units + from, count - from, out + from);
    } else {
        std::memset(out, 0, count);
        length = count;
    }
    std::size_t nuls = 0;
    for (std::size_t i = from; i < length; ++i)
        nuls += out[i] == '\0';
    if (nuls) {
        char* to = out + length + nuls;
        for (std::size_t i = length; i-- > from;) {
            if (out[i] == '\0') {
                *--to = '0';
                *--to = '\\';
            } else {
                *--to = out[i];
            }
        }
        length += nuls;
    }
    return length;
}

} // namespace

CharText::CharText(const qxArrayView& array)
{
    const std::size_t count = array.numel;
    const auto* units = static_cast<const qxChar*>(array.data);
    // Each unit takes at most three bytes, a NUL written as "\0" two.
    char* out = inPlace_;
    if (utf8_room(count) >= sizeof inPlace_) [[unlikely]] {
        heap_.reset(static_cast<char*>(qxMalloc(utf8_room(count) + 1)));
        if (!heap_)
            raise(msg::OutOfMemory);
        out = heap_.get();
    }
    // Names and numbers are plain ASCII without NULs: copied as they are.
    std::size_t length = 0;
    if (units)
        while (length < count && static_cast<unsigned>(units[length] - 1) < 0x7fu) {
            out[length] = static_cast<char>(units[length]);
            ++length;
        }
    if (length < count) [[unlikely]]
        length = finishText(units, count, length, out);
    out[length] = '\0';
}

} // namespace datatypes
