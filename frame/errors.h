// Error records and exception classes through which failures travel inside the
// library until a converter turns them into a host error.
#pragma once

#include <cstdint>
#include <string>

#include "frame/export.h"
#include "ut/ut.h"

namespace datatypes {

// Out-parameter of validators: the failed check's identifier, its text (with
// one "%s" where the type name goes) and whether the caller may go on to try
// the property's next form.
struct ErrorMessage {
    std::string id;
    std::string message;
    std::int32_t tryNextForm = 0;

    ErrorMessage() = default;
    ErrorMessage(std::string i, std::string m, bool retry) : id(std::move(i)), message(std::move(m)), tryNextForm(retry) {}
    ErrorMessage(const ErrorMessage&) = default;
    ErrorMessage& operator=(const ErrorMessage&) = default;
};

// Raised by code that meets an element class that cannot occur.
class VX_API GenericException : public Quillmark::System::InternalException {
public:
    ~GenericException() override;
};

// Raised by the color name table for a name that matches several entries or none.
class VX_API AmbiguousNameException : public Quillmark::System::InternalException {
public:
    ~AmbiguousNameException() override;
};
class VX_API MissingNameException : public Quillmark::System::InternalException {
public:
    ~MissingNameException() override;
};

// A numeric handle that names no graphics object.
class VX_API InvalidDoubleHandleException : public Quillmark::System::IUserException {
public:
    InvalidDoubleHandleException(std::string id, std::string text) : id_(std::move(id)), text_(std::move(text)) {}
    ~InvalidDoubleHandleException() override;
    const char* what() const noexcept override { return text_.c_str(); }
    const char* GetID() const override { return id_.c_str(); }
    const char* GetMessageTxt() const override { return text_.c_str(); }

private:
    std::string id_;
    std::string text_;
};

// Raises the host error `id` with `format`, whose one "%s" becomes `arg`.
void qxErrMsgWrapper(const char* id, const char* format, const char* arg);

} // namespace datatypes
