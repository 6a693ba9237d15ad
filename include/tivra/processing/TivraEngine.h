#pragma once
// The window-free image engine behind Python's TivraEngine: one held image,
// file load and save through the Unicode-safe reader and writer, and a few
// OpenCV operations applied in place. It has no Python and no wx dependency.
// One engine must not be used by two threads at once; engines are independent.
#include <string>
#include <tuple>

#include <opencv2/core.hpp>
#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

class TivraEngine {
public:
    /// Replaces the held image; the engine keeps the Mat it is given.
    void SetMat(cv::Mat image);
    const cv::Mat& GetMat() const { return m_image; }
    bool HasImage() const { return !m_image.empty(); }
    /// (height, width, channels); (0, 0, 0) when empty.
    std::tuple<int, int, int> GetImageSize() const;
    void Clear();

    /// Loads through the extension dispatch. A failed load (missing, unreadable or
    /// undecodable file) gives false and keeps the image held before.
    bool LoadImage(const std::string& utf8Path, int flags = cv::IMREAD_COLOR);
    /// Writes the image by the path's extension; false for an empty engine or a failed write.
    bool SaveImage(const std::string& utf8Path) const;

    /// BGR or BGRA to one gray channel; gray and 2-channel images stay as they are.
    void ConvertToGray();
    /// Resizes to width x height; a side below 1 follows the aspect ratio, both
    /// below 1 leave the image unchanged.
    void Resize(int width, int height, int interpolation = cv::INTER_LINEAR);
    /// Square kernel of side kernelSize | 1, sigma Y derived from sigma X.
    void GaussianBlur(int kernelSize, double sigma = 0.0);
    /// Edge map (0/255) of a gray copy, aperture 3, L1 gradient norm; the held
    /// image is untouched. Empty when there is no image. Throws
    /// std::runtime_error for a 2-channel image.
    cv::Mat Canny(double threshold1, double threshold2) const;

private:
    cv::Mat m_image;
};
