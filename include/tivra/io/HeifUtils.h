#pragma once
// HEIF/HEIC files to and from OpenCV images through libheif. Failures print one
// line to standard error and show as an empty Mat or a false result.
#include <string>

#include <opencv2/core.hpp>

#include "tivra/io/ImageFileInfo.h"

namespace heif_utils {

/// Decodes the primary image: 8-bit BGR, or BGRA when the file has alpha; empty on failure.
/// `Path` is std::string (UTF-8) or std::wstring (throws std::range_error when it is
/// not valid Unicode); wxString paths come with "tivra/io/wx/WxPaths.h".
template <typename Path>
cv::Mat heif_to_cvmat(const Path& path);

/// heif_to_cvmat of a UTF-8 path that also fills `info` as GetImageFileInfo
/// would, from the same reading of the file; `info` is untouched when the file
/// has no readable primary image.
cv::Mat ReadHeifFile(const std::string& utf8Path, ImageFileInfo& info);

/// Encodes an 8-bit gray or BGR image as HEVC; quality 100 is lossless, 0 to 99
/// the lossy quality (values libheif refuses fail). True when the file was
/// written completely.
template <typename Path>
bool cvmat_to_heif(const cv::Mat& image, const Path& path, int quality);

extern template cv::Mat heif_to_cvmat<std::string>(const std::string&);
extern template cv::Mat heif_to_cvmat<std::wstring>(const std::wstring&);
extern template bool cvmat_to_heif<std::string>(const cv::Mat&, const std::string&, int);
extern template bool cvmat_to_heif<std::wstring>(const cv::Mat&, const std::wstring&, int);

}  // namespace heif_utils
