#include <cstring>

#include "frame/datatype.h"
#define VX_MESSAGES "frame/messages.def"
#include "frame/messages.h"
#include "ut/utf.h"

namespace datatypes {

CharText::CharText(const qxArray* array)
{
    const qxSize count = qxGetNumberOfElements(array);
    const qxChar* units = qxGetChars(array);
    // Each unit takes at most three bytes, a NUL written as "\0" two.
    const std::size_t room = utf8_room(count);
    char* out = inPlace_;
    if (room >= sizeof inPlace_) {
        heap_.reset(static_cast<char*>(qxMalloc(room + 1)));
        if (!heap_)
            raise(msg::OutOfMemory);
        out = heap_.get();
    }
    std::size_t length = 0;
    if (units) {
        // Names and numbers are plain ASCII: copied as they are, the codec
        // takes over at the first unit that is not.
        while (length < count && units[length] < 0x80) {
            out[length] = static_cast<char>(units[length]);
            ++length;
        }
        if (length < count)
            length += utf16_to_utf8(units + length, count - length, out + length);
    } else {
        std::memset(out, 0, count);
        length = count;
    }
    // Every NUL becomes the two characters backslash and zero, moving what
    // follows it along; the text is rewritten from its end.
    std::size_t nuls = 0;
    for (std::size_t i = 0; i < length; ++i)
        nuls += out[i] == '\0';
    if (nuls) {
        char* to = out + length + nuls;
        for (std::size_t i = length; i-- > 0;) {
            if (out[i] == '\0') {
                *--to = '0';
                *--to = '\\';
            } else {
                *--to = out[i];
            }
        }
        length += nuls;
    }
    out[length] = '\0';
}

} // namespace datatypes
