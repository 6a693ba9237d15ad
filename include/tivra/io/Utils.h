#pragma once
// Small exported helpers: debug traces, dated log names, random strings,
// rounding, OpenCV type names and processor-feature probes.
#include <cstddef>
#include <string>

/// Writes "[TivraModule-Debug] <message>\n" to standard error and flushes it.
void TraceLinux(const char* message);

/// "log_YYYY-MM-DD.txt" for today's local date.
std::string GetLogFilenameByCurrentDate();

/// A string of letters and digits. With minLength 0 (or SIZE_MAX) it has exactly
/// `length` characters; otherwise its length is drawn uniformly between the two
/// bounds, whichever order they are given in.
std::string GenerateRandomString(std::size_t length, std::size_t minLength);

/// Rounds to `places` decimals, halves away from zero; places < 1 rounds to an integer.
double roundToDecimalPlaces(double value, int places);

/// OpenCV type name such as "8UC3" for a type code.
std::string type2str(int type);

/// Executes CPUID for `leaf` (sub-leaf 0) into regs = {EAX, EBX, ECX, EDX};
/// all zero on processors without the instruction.
void CrossPlatformCPUID(int regs[4], int leaf);

/// Executes CPUID for `leaf` and `subLeaf`; all zero without the instruction.
void CrossPlatformCPUIDex(int regs[4], int leaf, int subLeaf);

/// SSE4.1 and SSE4.2 are available.
bool isSSE4Supported();

/// AVX2 is available and the operating system saves the 256-bit registers.
bool isAVX2Supported();

/// AVX-512 F and BW are available and the operating system saves the 512-bit state.
bool isAVX512Supported();

/// Hook for installing process-wide exception protection; intentionally empty.
void ProtectExceptionHandler();
