// The host's console output: text that the host shows to its user (warnings,
// notices), as opposed to errors, which travel by qxErrMsgIdAndTxt.
#pragma once

// printf-style; returns the number of characters written.
int qxPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
