#pragma once
// Scratch directories and small helpers shared by the io tests.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "tivra/io/ImageFileInfo.h"

namespace iotest {

namespace fs = std::filesystem;

/// A fresh directory under the system's temporary directory, removed afterwards.
class ScratchDir {
public:
    ScratchDir()
    {
        std::string pattern = (fs::temp_directory_path() / "tivra-io-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~ScratchDir() { fs::remove_all(path_); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    /// UTF-8 path of `name` inside the directory.
    std::string operator/(const std::string& name) const { return (path_ / fs::u8path(name)).u8string(); }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

inline std::vector<unsigned char> ReadBytes(const std::string& path)
{
    std::ifstream in(fs::u8path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream(fs::u8path(path), std::ios::binary) << bytes;
}

/// A smooth colour picture (gradients and a disc) that lossy codecs keep well.
inline cv::Mat SmoothPicture(int width, int height)
{
    cv::Mat image(height, width, CV_8UC3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.at<cv::Vec3b>(y, x) = cv::Vec3b(static_cast<uchar>(255 * x / width),
                                                   static_cast<uchar>(255 * y / height),
                                                   static_cast<uchar>(128 + 100 * ((x + y) % 64) / 64));
    cv::circle(image, {width / 2, height / 2}, std::min(width, height) / 4, cv::Scalar(30, 200, 90), -1);
    cv::GaussianBlur(image, image, cv::Size(7, 7), 0);
    return image;
}

/// Uniform noise: any rounding anywhere shows.
inline cv::Mat NoisePicture(int width, int height, int type, uint64 seed = 7)
{
    cv::Mat image(height, width, type);
    cv::RNG rng(seed);
    rng.fill(image, cv::RNG::UNIFORM, 0, 256);
    return image;
}

inline double MaxDifference(const cv::Mat& a, const cv::Mat& b)
{
    return cv::norm(a, b, cv::NORM_INF);
}

inline double MeanDifference(const cv::Mat& a, const cv::Mat& b)
{
    return cv::norm(a, b, cv::NORM_L1) / static_cast<double>(a.total() * a.channels());
}

/// Size, layout, format, orientation and whether EXIF was found, as one line.
inline std::string Describe(const ImageFileInfo& i)
{
    return std::to_string(i.width) + "x" + std::to_string(i.height) + " c" + std::to_string(i.channels) + " b" +
           std::to_string(i.bit_depth) + " " + i.format + " o" + std::to_string(i.orientation) + " e" +
           std::to_string(i.has_exif);
}

/// Path of a project-made file under tests/data/io.
inline std::string DataFile(const std::string& name)
{
    return (fs::path(TIVRA_TEST_DATA_DIR) / "io" / name).string();
}

/// What `call` returns, with what it printed on standard error.
template <typename Call>
auto Capturing(Call call)
{
    testing::internal::CaptureStderr();
    auto result = call();
    return std::make_pair(std::move(result), testing::internal::GetCapturedStderr());
}

}  // namespace iotest
