#pragma once
// Small exported helpers: debug traces, dated log names, random strings,
// rounding, OpenCV type names and processor-feature probes.

/// Writes "[TivraModule-Debug] <message>\n" to standard error and flushes it.
void TraceLinux(const char* message);
