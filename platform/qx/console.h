// The host's console output: text that the host shows to its user (warnings,
// notices), as opposed to errors, which travel by qxErrMsgIdAndTxt.
#pragma once

#include <string>

// printf-style; returns the number of characters written.
int qxPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

namespace qx {

// While a capture lives, console output goes into it instead of standard
// output (a host that answers in JSON puts it into its answer). Captures nest:
// the innermost one receives the text.
class ConsoleCapture {
public:
    ConsoleCapture();
    ~ConsoleCapture();
    ConsoleCapture(const ConsoleCapture&) = delete;
    ConsoleCapture& operator=(const ConsoleCapture&) = delete;
    const std::string& text() const { return text_; }

private:
    friend int ::qxPrintf(const char*, ...);
    std::string text_;
    ConsoleCapture* outer_;
};

} // namespace qx
