// What a test needs to act as the host: the host's own types installed, the
// library initialised, and helpers to call conversions and catch host errors.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "nyro/nyro.h"
#include "qx/qx.h"

namespace vxtest {

// Installs the host types and the Java bridge, then runs the module entry point.
void initializeHost();

nyro::COSDataType* type(const char* name);
nyro::COSTypeConversion* conversion(const char* foreign, const char* type);

// The identifier and text of a host error (or of an exception with id and text).
struct Raised {
    std::string id;
    std::string message;
};

// Runs `f`, returning what it raised (nothing when it returned normally).
template <class F>
std::optional<Raised> raisedBy(F&& f)
{
    try {
        f();
    } catch (const Quillmark::System::IUserException& e) {
        return Raised{e.GetID(), e.GetMessageTxt()};
    }
    return std::nullopt;
}

// What `f` raised as "identifier text", or "" when it returned normally.
template <class F>
std::string errorOf(F&& f)
{
    auto r = raisedBy(std::forward<F>(f));
    return r ? r->id + " " + r->message : "";
}

// The identifier of what `f` raised, or "".
template <class F>
std::string idOf(F&& f)
{
    auto r = raisedBy(std::forward<F>(f));
    return r ? r->id : "";
}

// Parses a console-style literal-free description: helpers to make arrays.
qxArray* rowVector(std::initializer_list<double> values);

// Base fixture: host initialised; temporaries reclaimed after each test.
class HostTest : public ::testing::Test {
protected:
    void SetUp() override { initializeHost(); }
    void TearDown() override { qxReclaimTemporaries(); }
};

} // namespace vxtest
