#include "frame/errors.h"

#include "qx/qx.h"

namespace datatypes {

GenericException::~GenericException() = default;
AmbiguousNameException::~AmbiguousNameException() = default;
MissingNameException::~MissingNameException() = default;
InvalidDoubleHandleException::~InvalidDoubleHandleException() = default;

void qxErrMsgWrapper(const char* id, const char* format, const char* arg)
{
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
    qxErrMsgIdAndTxt(id, format, arg);
#pragma GCC diagnostic pop
}

} // namespace datatypes
