#include "qx/console.h"

#include <cstdarg>
#include <cstdio>

int qxPrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int n = std::vprintf(format, args);
    va_end(args);
    std::fflush(stdout);
    return n;
}
