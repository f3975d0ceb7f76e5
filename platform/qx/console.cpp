#include "qx/console.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {
qx::ConsoleCapture* innermost = nullptr;
}

namespace qx {

ConsoleCapture::ConsoleCapture() : outer_(innermost) { innermost = this; }
ConsoleCapture::~ConsoleCapture() { innermost = outer_; }

} // namespace qx

int qxPrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n;
    if (innermost) {
        va_list copy;
        va_copy(copy, args);
        n = std::vsnprintf(nullptr, 0, format, copy);
        va_end(copy);
        if (n > 0) {
            std::vector<char> buffer(static_cast<std::size_t>(n) + 1);
            std::vsnprintf(buffer.data(), buffer.size(), format, args);
            innermost->text_.append(buffer.data(), static_cast<std::size_t>(n));
        }
    } else {
        n = std::vprintf(format, args);
        std::fflush(stdout);
    }
    va_end(args);
    return n;
}
