#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <tuple>

#include <opencv2/core.hpp>

#include "tivra/io/Utils.h"

namespace {

const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";

// A field of the kernel's own view of the processor, whose flags already account
// for what the operating system enables.
std::string CpuInfoField(const std::string& name)
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);)
        if (line.rfind(name, 0) == 0)
            return line.substr(line.find(':') + 2);
    return {};
}

}  // namespace

// Halves round away from zero; negative places count as none; many places keep the value.
TEST(RoundToDecimalPlaces, HalvesAwayFromZero)
{
    const std::tuple<double, int, double> rows[] = {{1.25, 1, 1.3},      {2.5, 0, 3.0},        {-2.5, 0, -3.0},
                                                    {-2.5, -4, -3.0},    {3.14159, 3, 3.142},  {-0.0051, 2, -0.01},
                                                    {1.5, 400, 1.5},     {1e300, 20, 1e300},   {0.1234, 30, 0.1234}};
    for (const auto& [value, places, rounded] : rows)
        EXPECT_DOUBLE_EQ(roundToDecimalPlaces(value, places), rounded) << value << " " << places;
}

TEST(Type2Str, NamesDepthAndChannels)
{
    EXPECT_EQ(type2str(CV_8UC4), "8UC4");
    EXPECT_EQ(type2str(CV_16SC2), "16SC2");
    EXPECT_EQ(type2str(CV_64FC1), "64FC1");
    EXPECT_EQ(type2str(7), "UserC1");
}

// (length, minimum) -> length range: a minimum of 0 or SIZE_MAX fixes the length; inverted
// bounds use the ordered range.
TEST(GenerateRandomString, LengthWithinRangeAndVaried)
{
    EXPECT_EQ(GenerateRandomString(0, 0), "");
    for (auto [a, b, low, high] : {std::tuple<std::size_t, std::size_t, std::size_t, std::size_t>{8, 0, 8, 8},
                                   {8, std::numeric_limits<std::size_t>::max(), 8, 8}, {12, 4, 4, 12}, {3, 6, 3, 6},
                                   {5, 5, 5, 5}}) {
        std::set<std::size_t> lengths;
        std::set<std::string> texts;
        for (int i = 0; i < 200; ++i) {
            const std::string text = GenerateRandomString(a, b);
            EXPECT_GE(text.size(), low);
            EXPECT_LE(text.size(), high);
            EXPECT_EQ(text.find_first_not_of(kAlphabet), std::string::npos) << text;
            lengths.insert(text.size());
            texts.insert(text);
        }
        EXPECT_GT(lengths.size(), (high - low) / 2) << a << " " << b;  // 200 draws reach most lengths
        EXPECT_GT(texts.size(), 190u);
    }
}

TEST(GetLogFilenameByCurrentDate, NamesTodaysLocalDate)
{
    const std::time_t before = std::time(nullptr);
    const std::string name = GetLogFilenameByCurrentDate();
    const std::time_t after = std::time(nullptr);
    std::set<std::string> expected;
    for (std::time_t t : {before, after}) {
        char text[32];
        std::strftime(text, sizeof text, "log_%Y-%m-%d.txt", std::localtime(&t));
        expected.insert(text);
    }
    EXPECT_EQ(expected.count(name), 1u) << name;
}

TEST(CpuProbes, AgreeWithTheKernel)
{
    std::istringstream words(CpuInfoField("flags"));
    const std::set<std::string> flags{std::istream_iterator<std::string>(words), {}};
    ASSERT_FALSE(flags.empty());
    EXPECT_EQ(isSSE4Supported(), flags.count("sse4_1") && flags.count("sse4_2"));
    EXPECT_EQ(isAVX2Supported(), flags.count("avx") && flags.count("avx2"));
    EXPECT_EQ(isAVX512Supported(), flags.count("avx512f") && flags.count("avx512bw"));
}

TEST(CpuProbes, CpuidLeafZeroNamesTheVendor)
{
    int regs[4] = {-1, -1, -1, -1};
    CrossPlatformCPUID(regs, 0);
    char vendor[13] = {};
    std::memcpy(vendor, &regs[1], 4);
    std::memcpy(vendor + 4, &regs[3], 4);
    std::memcpy(vendor + 8, &regs[2], 4);
    EXPECT_EQ(std::string(vendor), CpuInfoField("vendor_id"));
    EXPECT_GE(regs[0], 1);

    int sub[4];
    CrossPlatformCPUIDex(sub, 0, 0);
    EXPECT_EQ(std::memcmp(sub, regs, sizeof regs), 0);
}

TEST(TraceLinux, WritesPrefixedLineToStandardError)
{
    testing::internal::CaptureStderr();
    TraceLinux("hello");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "[TivraModule-Debug] hello\n");
}
