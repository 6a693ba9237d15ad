#include "tivra/io/Utils.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <limits>
#include <random>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#define TIVRA_HAS_CPUID 1
#else
#define TIVRA_HAS_CPUID 0
#endif

void TraceLinux(const char* message)
{
    std::fprintf(stderr, "[TivraModule-Debug] %s\n", message);
    std::fflush(stderr);
}

std::string GetLogFilenameByCurrentDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    if (!localtime_r(&now, &local))
        return {};
    char name[64];
    const int written = std::snprintf(name, sizeof name, "log_%d-%02d-%02d.txt", local.tm_year + 1900,
                                      local.tm_mon + 1, local.tm_mday);
    return written > 0 ? std::string(name) : std::string();
}

std::string GenerateRandomString(std::size_t length, std::size_t minLength)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::size_t count = length;
    if (minLength != 0 && minLength != std::numeric_limits<std::size_t>::max()) {
        std::random_device lengthSeed("/dev/urandom");
        std::mt19937 lengthGenerator(lengthSeed());
        // Bounds given the wrong way round still describe a range: use it ordered.
        std::uniform_int_distribution<std::size_t> lengths(std::min(minLength, length),
                                                           std::max(minLength, length));
        count = lengths(lengthGenerator);
    }
    std::random_device charSeed("/dev/urandom");
    std::mt19937 charGenerator(charSeed());
    std::uniform_int_distribution<int> letters(0, 61);
    std::string result;
    result.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        result.push_back(kAlphabet[letters(charGenerator)]);
    return result;
}

double roundToDecimalPlaces(double value, int places)
{
    if (places < 1)
        return std::round(value);
    const double scale = std::pow(10.0, places);
    const double scaled = value * scale;
    // Past double precision (huge values, hundreds of places) the value has no
    // more digits to round; scaling would only overflow into inf or NaN.
    if (!std::isfinite(scaled))
        return value;
    return std::round(scaled) / scale;
}

std::string type2str(int type)
{
    static const char* const kDepthNames[] = {"8U", "8S", "16U", "16S", "32S", "32F", "64F", "User"};
    std::string name = kDepthNames[type & 7];
    name += 'C';
    name += static_cast<char>('1' + (type >> 3));
    return name;
}

void CrossPlatformCPUIDex(int regs[4], int leaf, int subLeaf)
{
#if TIVRA_HAS_CPUID
    unsigned a = 0, b = 0, c = 0, d = 0;
    __cpuid_count(static_cast<unsigned>(leaf), static_cast<unsigned>(subLeaf), a, b, c, d);
    regs[0] = static_cast<int>(a);
    regs[1] = static_cast<int>(b);
    regs[2] = static_cast<int>(c);
    regs[3] = static_cast<int>(d);
#else
    (void)leaf;
    (void)subLeaf;
    regs[0] = regs[1] = regs[2] = regs[3] = 0;
#endif
}

void CrossPlatformCPUID(int regs[4], int leaf)
{
    CrossPlatformCPUIDex(regs, leaf, 0);
}

#if TIVRA_HAS_CPUID
namespace {

constexpr unsigned kEcxSse41 = 1u << 19;
constexpr unsigned kEcxSse42 = 1u << 20;
constexpr unsigned kEcxOsxsave = 1u << 27;
constexpr unsigned kEcxAvx = 1u << 28;
constexpr unsigned kEbxAvx2 = 1u << 5;
constexpr unsigned kEbxAvx512F = 1u << 16;
constexpr unsigned kEbxAvx512BW = 1u << 30;
// XCR0 state components: SSE and AVX halves; AVX-512 opmask and both upper halves.
constexpr std::uint64_t kXcr0Avx = 0x6;
constexpr std::uint64_t kXcr0Avx512 = 0xE6;

struct CpuidRegs {
    unsigned eax, ebx, ecx, edx;
};

CpuidRegs Cpuid(int leaf, int subLeaf = 0)
{
    int regs[4];
    CrossPlatformCPUIDex(regs, leaf, subLeaf);
    return {static_cast<unsigned>(regs[0]), static_cast<unsigned>(regs[1]), static_cast<unsigned>(regs[2]),
            static_cast<unsigned>(regs[3])};
}

int MaxLeaf()
{
    return static_cast<int>(Cpuid(0).eax);
}

// Which register states the operating system saves on context switches. Reading
// XCR0 is only legal once CPUID reports OSXSAVE.
std::uint64_t EnabledXStateMask()
{
    if (!(Cpuid(1).ecx & kEcxOsxsave))
        return 0;
    unsigned low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

bool HasLeaf7Bits(unsigned ebxBits)
{
    return MaxLeaf() >= 7 && (Cpuid(7, 0).ebx & ebxBits) == ebxBits;
}

}  // namespace

bool isSSE4Supported()
{
    return MaxLeaf() >= 1 && (Cpuid(1).ecx & (kEcxSse41 | kEcxSse42)) == (kEcxSse41 | kEcxSse42);
}

bool isAVX2Supported()
{
    if (MaxLeaf() < 1 || !(Cpuid(1).ecx & kEcxAvx))
        return false;
    return (EnabledXStateMask() & kXcr0Avx) == kXcr0Avx && HasLeaf7Bits(kEbxAvx2);
}

bool isAVX512Supported()
{
    if (MaxLeaf() < 1)
        return false;
    return (EnabledXStateMask() & kXcr0Avx512) == kXcr0Avx512 && HasLeaf7Bits(kEbxAvx512F | kEbxAvx512BW);
}
#else
// 64-bit Arm has no CPUID; NEON carries the panel's vector path, which it selects
// through the AVX2 answer.
bool isSSE4Supported()
{
    return true;
}

bool isAVX2Supported()
{
    return true;
}

bool isAVX512Supported()
{
    return false;
}
#endif

void ProtectExceptionHandler() {}
