#include "tivra/processing/TivraEngine.h"

#include <algorithm>
#include <climits>
#include <stdexcept>
#include <utility>

#include "tivra/io/UnicodeImage.h"
#include "tivra/io/LargeImage.h"

namespace {

// The aspect-preserving side, truncated toward zero like the integer conversion
// it is, refused when it cannot be an image side at all.
int FollowingSide(int givenSide, int givenExtent, int otherExtent)
{
    const double side = static_cast<double>(givenSide) / givenExtent * otherExtent;
    if (side > INT_MAX)
        throw std::runtime_error("Resize: the side following the aspect ratio is too large");
    return static_cast<int>(side);
}

}  // namespace

void TivraEngine::SetMat(cv::Mat image)
{
    ReleaseImage(std::exchange(m_image, std::move(image)));
}

std::tuple<int, int, int> TivraEngine::GetImageSize() const
{
    if (m_image.empty())
        return {0, 0, 0};
    return {m_image.rows, m_image.cols, m_image.channels()};
}

void TivraEngine::Clear()
{
    m_image.release();
}

bool TivraEngine::LoadImage(const std::string& utf8Path, int flags)
{
    cv::Mat image;
    try {
        image = LoadImageByExtension(utf8Path, flags);
    } catch (const std::exception&) {
        // A file too large to decode: failure shows only in the result.
        return false;
    }
    if (image.empty())
        return false;
    ReleaseImage(std::exchange(m_image, std::move(image)));
    return true;
}

bool TivraEngine::SaveImage(const std::string& utf8Path) const
{
    if (m_image.empty())
        return false;
    return Unicode_CvImwrite(to_wide_string(utf8Path), m_image, {});
}

void TivraEngine::ConvertToGray()
{
    const int channels = m_image.channels();
    if (m_image.empty() || (channels != 3 && channels != 4))
        return;
    cv::Mat gray = NewLargeImage(m_image.size(), CV_MAKETYPE(m_image.depth(), 1));
    cv::cvtColor(m_image, gray, channels == 3 ? cv::COLOR_BGR2GRAY : cv::COLOR_BGRA2GRAY);
    ReleaseImage(std::exchange(m_image, gray));
}

void TivraEngine::Resize(int width, int height, int interpolation)
{
    if (m_image.empty() || (width < 1 && height < 1))
        return;
    if (height < 1)
        height = FollowingSide(width, m_image.cols, m_image.rows);
    else if (width < 1)
        width = FollowingSide(height, m_image.rows, m_image.cols);
    cv::Mat resized = NewLargeImage(cv::Size(std::max(width, 0), std::max(height, 0)), m_image.type());
    cv::resize(m_image, resized, cv::Size(width, height), 0, 0, interpolation);
    ReleaseImage(std::exchange(m_image, resized));
}

void TivraEngine::GaussianBlur(int kernelSize, double sigma)
{
    if (m_image.empty())
        return;
    const int side = kernelSize | 1;
    cv::Mat blurred = NewLargeImage(m_image.size(), m_image.type());
    cv::GaussianBlur(m_image, blurred, cv::Size(side, side), sigma, 0, cv::BORDER_REFLECT_101);
    ReleaseImage(std::exchange(m_image, blurred));
}

cv::Mat TivraEngine::Canny(double threshold1, double threshold2) const
{
    if (m_image.empty())
        return {};
    cv::Mat gray;
    const cv::Size size = m_image.size();
    switch (m_image.channels()) {
    case 1:
        gray = m_image;
        break;
    case 3:
        gray = NewLargeImage(size, CV_MAKETYPE(m_image.depth(), 1));
        cv::cvtColor(m_image, gray, cv::COLOR_BGR2GRAY);
        break;
    case 4:
        gray = NewLargeImage(size, CV_MAKETYPE(m_image.depth(), 1));
        cv::cvtColor(m_image, gray, cv::COLOR_BGRA2GRAY);
        break;
    default:
        throw std::runtime_error("Canny needs an image with 1, 3 or 4 channels, not " +
                                 std::to_string(m_image.channels()));
    }
    cv::Mat edges = NewLargeImage(size, CV_8UC1);
    cv::Canny(gray, edges, threshold1, threshold2, 3, false);
    return edges;
}
