#pragma once
// JPEG XL files to and from OpenCV images through libjxl and its thread-pool
// runner. Failures print a message to standard error and show as an empty Mat or
// a false result.
#include <string>
#include <vector>

#include <opencv2/core.hpp>

/// Decodes JPEG XL bytes to 8-bit gray or BGR (alpha is dropped); empty on failure.
cv::Mat LoadJxlFromVector(std::vector<unsigned char>& data);

namespace jxl_utils {

/// Reads the whole file and decodes it; empty (without a message) when the file
/// cannot be read. `Path` is std::string (UTF-8) or std::wstring;
/// wxString paths come with "tivra/io/wx/WxPaths.h".
template <typename Path>
cv::Mat jxl_to_cvmat(const Path& path);

/// Encodes an 8-bit gray or BGR image; quality 100 is lossless, otherwise the
/// Butteraugli distance is (100 - quality) / 10, at most 10. True when the file
/// was written completely.
template <typename Path>
bool cvmat_to_jxl(const cv::Mat& image, const Path& path, int quality);

extern template cv::Mat jxl_to_cvmat<std::string>(const std::string&);
extern template cv::Mat jxl_to_cvmat<std::wstring>(const std::wstring&);
extern template bool cvmat_to_jxl<std::string>(const cv::Mat&, const std::string&, int);
extern template bool cvmat_to_jxl<std::wstring>(const cv::Mat&, const std::wstring&, int);

}  // namespace jxl_utils
