#include "tivra/engine/DisplayMapping.h"

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cfloat>
#include <cmath>
#include <stdexcept>

namespace tivra::display {
namespace {

struct NamedColorMap {
    const char* name;
    int value;
};

const std::array<NamedColorMap, 23> kColorMaps{{
    {"gray", kNoColorMap},         {"autumn", cv::COLORMAP_AUTUMN},   {"bone", cv::COLORMAP_BONE},
    {"jet", cv::COLORMAP_JET},     {"winter", cv::COLORMAP_WINTER},   {"rainbow", cv::COLORMAP_RAINBOW},
    {"ocean", cv::COLORMAP_OCEAN}, {"summer", cv::COLORMAP_SUMMER},   {"spring", cv::COLORMAP_SPRING},
    {"cool", cv::COLORMAP_COOL},   {"hsv", cv::COLORMAP_HSV},         {"pink", cv::COLORMAP_PINK},
    {"hot", cv::COLORMAP_HOT},     {"parula", cv::COLORMAP_PARULA},   {"magma", cv::COLORMAP_MAGMA},
    {"inferno", cv::COLORMAP_INFERNO}, {"plasma", cv::COLORMAP_PLASMA}, {"viridis", cv::COLORMAP_VIRIDIS},
    {"cividis", cv::COLORMAP_CIVIDIS}, {"twilight", cv::COLORMAP_TWILIGHT},
    {"twilight_shifted", cv::COLORMAP_TWILIGHT_SHIFTED}, {"turbo", cv::COLORMAP_TURBO},
    {"deepgreen", cv::COLORMAP_DEEPGREEN},
}};

// Auto levels read about this many values at most; the percentiles of a
// regular sample of a camera frame are those of the frame to well under a level.
constexpr double kSampleValues = 4e6;
constexpr int kHistogramBins = 65536;

bool IsFloat(const cv::Mat& mat)
{
    return mat.depth() == CV_32F || mat.depth() == CV_64F;
}

// One byte per pixel, 255 where any channel is NaN or infinite; empty when no
// pixel is.
cv::Mat NonFiniteMask(const cv::Mat& raw)
{
    if (!IsFloat(raw))
        return {};
    // |v| <= the largest finite value fails exactly for NaN and infinities.
    cv::Mat finite;
    cv::compare(cv::abs(raw.reshape(1)), raw.depth() == CV_32F ? FLT_MAX : DBL_MAX, finite, cv::CMP_LE);
    const cv::Mat mask = ~finite;
    if (cv::countNonZero(mask) == 0)
        return {};
    if (raw.channels() == 1)
        return mask;
    std::vector<cv::Mat> perChannel;
    cv::split(mask.reshape(raw.channels()), perChannel);
    for (size_t i = 1; i < perChannel.size(); ++i)
        perChannel[0] |= perChannel[i];
    return perChannel[0];
}

cv::Mat ThresholdAt(const cv::Mat& raw, double level)
{
    cv::Mat shown;
    cv::compare(raw.reshape(1), level, shown, cv::CMP_GE);
    return shown.reshape(raw.channels());
}

// Linear levels (or the plain 0..255 clip) with saturation.
cv::Mat ApplyLevels(const cv::Mat& raw, const DisplayMapping& mapping)
{
    if (mapping.hasLevels && mapping.high <= mapping.low)
        return ThresholdAt(raw, mapping.low);
    const double low = mapping.hasLevels ? mapping.low : 0.0;
    const double high = mapping.hasLevels ? mapping.high : 255.0;
    const double alpha = 255.0 / (high - low);
    cv::Mat clipped;  // never raw's own pixels: the caller's image stays as it is
    if (IsFloat(raw)) {
        // Clipped first: convertTo rounds through int, which overflows beyond
        // 2^31 and would turn 1e12 into 0.
        cv::max(raw, low, clipped);
        cv::min(clipped, high, clipped);
    } else {
        clipped = raw;
    }
    cv::Mat shown;
    clipped.convertTo(shown, CV_MAKETYPE(CV_8U, raw.channels()), alpha, -low * alpha);
    return shown;
}

void PaintNonFinite(cv::Mat& shown, const cv::Mat& mask)
{
    if (shown.channels() == 1)
        cv::cvtColor(shown, shown, cv::COLOR_GRAY2BGR);
    const cv::Vec3b c = kNonFiniteColour;
    shown.setTo(cv::Scalar(c[0], c[1], c[2], 255), mask);
}

// Every step-th pixel of every step-th row, so that about kSampleValues values
// are read.
cv::Mat SampleOf(const cv::Mat& raw)
{
    const double values = static_cast<double>(raw.total()) * raw.channels();
    const int step = std::max(1, static_cast<int>(std::sqrt(values / kSampleValues)));
    if (step == 1)
        return raw;
    cv::Mat sample;
    cv::resize(raw, sample, cv::Size(std::max(raw.cols / step, 1), std::max(raw.rows / step, 1)), 0, 0,
               cv::INTER_NEAREST);
    return sample;
}

template <typename T>
std::pair<double, double> FiniteRangeOf(const cv::Mat& mat)
{
    double low = DBL_MAX, high = -DBL_MAX;
    for (int y = 0; y < mat.rows; ++y) {
        const T* row = mat.ptr<T>(y);
        for (size_t x = 0, n = static_cast<size_t>(mat.cols) * mat.channels(); x < n; ++x) {
            if (!std::isfinite(row[x]))
                continue;
            low = std::min(low, static_cast<double>(row[x]));
            high = std::max(high, static_cast<double>(row[x]));
        }
    }
    return low > high ? std::make_pair(0.0, 0.0) : std::make_pair(low, high);
}

// Values map onto histogram bins as (v - origin) * perBin; bins back onto
// values as origin + bin / perBin.
struct BinScale {
    double origin;
    double perBin;
};

template <typename T>
std::vector<double> HistogramOf(const cv::Mat& sample, const BinScale& scale)
{
    std::vector<double> bins(kHistogramBins, 0.0);
    for (int y = 0; y < sample.rows; ++y) {
        const T* row = sample.ptr<T>(y);
        for (size_t x = 0, n = static_cast<size_t>(sample.cols) * sample.channels(); x < n; ++x) {
            const double bin = (static_cast<double>(row[x]) - scale.origin) * scale.perBin;
            if (bin >= 0.0 && bin < kHistogramBins)  // false for NaN, infinities and values out of range
                bins[static_cast<size_t>(bin)] += 1.0;
        }
    }
    return bins;
}

// Integers are their own bins less the origin: one increment per value.
template <typename T>
std::vector<double> IntegerHistogramOf(const cv::Mat& sample, double origin)
{
    std::vector<std::uint32_t> counts(kHistogramBins, 0);
    const int first = static_cast<int>(origin);
    for (int y = 0; y < sample.rows; ++y) {
        const T* row = sample.ptr<T>(y);
        for (size_t x = 0, n = static_cast<size_t>(sample.cols) * sample.channels(); x < n; ++x)
            ++counts[static_cast<size_t>(static_cast<int>(row[x]) - first)];
    }
    return std::vector<double>(counts.begin(), counts.end());
}

std::vector<double> HistogramOf(const cv::Mat& sample, const BinScale& scale)
{
    switch (sample.depth()) {
    case CV_8U: return IntegerHistogramOf<std::uint8_t>(sample, scale.origin);
    case CV_16U: return IntegerHistogramOf<std::uint16_t>(sample, scale.origin);
    case CV_16S: return IntegerHistogramOf<std::int16_t>(sample, scale.origin);
    case CV_32F: return HistogramOf<float>(sample, scale);
    default: return HistogramOf<double>(sample, scale);
    }
}

std::pair<double, double> FloatRangeOf(const cv::Mat& mat)
{
    return mat.depth() == CV_32F ? FiniteRangeOf<float>(mat) : FiniteRangeOf<double>(mat);
}

// Low: the first bin whose cumulative count exceeds lowPercent of the values;
// high: the first whose cumulative count reaches highPercent of them.
std::pair<size_t, size_t> PercentileBins(const std::vector<double>& bins, double lowPercent, double highPercent)
{
    double total = 0.0;
    for (double count : bins)
        total += count;
    const double lowCount = total * lowPercent / 100.0, highCount = total * highPercent / 100.0;
    size_t low = bins.size(), high = bins.size();
    double cumulative = 0.0;
    for (size_t bin = 0; bin < bins.size() && high == bins.size(); ++bin) {
        if (bins[bin] == 0.0)
            continue;
        cumulative += bins[bin];
        if (low == bins.size() && cumulative > lowCount)
            low = bin;
        if (cumulative >= highCount && low != bins.size())
            high = bin;
    }
    return {low, std::max(high == bins.size() ? low : high, low)};
}

}  // namespace

bool DisplayMapping::IsIdentityFor(const cv::Mat& raw) const
{
    return raw.depth() == CV_8U && !hasLevels && (colorMap == kNoColorMap || raw.channels() != 1);
}

cv::Mat MapToDisplay(const cv::Mat& raw, const DisplayMapping& mapping)
{
    if (raw.empty() || mapping.IsIdentityFor(raw))
        return raw;
    CV_Assert(raw.depth() == CV_8U || raw.depth() == CV_16U || raw.depth() == CV_16S || IsFloat(raw));
    cv::Mat shown = ApplyLevels(raw, mapping);
    if (shown.channels() == 1 && mapping.colorMap != kNoColorMap)
        cv::applyColorMap(shown, shown, mapping.colorMap);
    const cv::Mat nonFinite = NonFiniteMask(raw);
    if (!nonFinite.empty())
        PaintNonFinite(shown, nonFinite);
    return shown;
}

std::pair<double, double> FullRange(const cv::Mat& raw)
{
    switch (raw.depth()) {
    case CV_8U: return {0.0, 255.0};
    case CV_16U: return {0.0, 65535.0};
    case CV_16S: return {-32768.0, 32767.0};
    default: return raw.empty() ? std::make_pair(0.0, 0.0) : FloatRangeOf(raw);
    }
}

std::pair<double, double> AutoLevels(const cv::Mat& raw, double lowPercent, double highPercent)
{
    if (raw.empty())
        return {0.0, 0.0};
    const cv::Mat sample = SampleOf(raw);
    BinScale scale{raw.depth() == CV_16S ? -32768.0 : 0.0, 1.0};
    if (IsFloat(raw)) {
        const auto [low, high] = FloatRangeOf(sample);
        if (low >= high)
            return {low, high};
        scale = {low, (kHistogramBins - 1) / (high - low)};
    }
    const auto [lowBin, highBin] = PercentileBins(HistogramOf(sample, scale), lowPercent, highPercent);
    if (lowBin >= static_cast<size_t>(kHistogramBins))
        return {0.0, 0.0};
    return {scale.origin + lowBin / scale.perBin, scale.origin + highBin / scale.perBin};
}

const std::vector<std::string>& ColorMapNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> all;
        for (const NamedColorMap& map : kColorMaps)
            all.emplace_back(map.name);
        return all;
    }();
    return names;
}

int ColorMapByName(const std::string& name)
{
    for (const NamedColorMap& map : kColorMaps)
        if (name == map.name)
            return map.value;
    std::string valid;
    for (const NamedColorMap& map : kColorMaps)
        valid += (valid.empty() ? "" : ", ") + std::string(map.name);
    throw std::invalid_argument("Unknown colour map '" + name + "'; valid names: " + valid);
}

std::string ColorMapName(int colorMap)
{
    for (const NamedColorMap& map : kColorMaps)
        if (map.value == colorMap)
            return map.name;
    return "gray";
}

}  // namespace tivra::display
