#include <cstring>

#include "frame/datatype.h"
#define VX_MESSAGES "frame/messages.def"
#include "frame/messages.h"

namespace datatypes {

QxString charArrayText(const qxArray* array)
{
    QxString text(qxArrayToString(array));
    if (!text)
        raise(msg::OutOfMemory);
    const qxSize count = qxGetNumberOfElements(array);
    const qxChar* units = qxGetChars(array);
    qxSize nuls = 0;
    for (qxSize i = 0; i < count; ++i)
        nuls += !units || units[i] == 0;
    if (nuls == 0)
        return text;
    // Every NUL becomes the two characters backslash and zero.
    const std::string whole = qxArrayToStdString(array);
    QxString escaped(static_cast<char*>(qxMalloc(whole.size() + nuls + 1)));
    if (!escaped)
        raise(msg::OutOfMemory);
    char* out = escaped.get();
    for (char c : whole) {
        if (c == '\0') {
            *out++ = '\\';
            *out++ = '0';
        } else {
            *out++ = c;
        }
    }
    *out = '\0';
    return escaped;
}

} // namespace datatypes
