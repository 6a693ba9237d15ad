#pragma once
// wxString paths for the HEIF and JPEG XL adapters, for wx applications. The
// adapters themselves need no wx; this thin layer (library tivra_io_wx) converts
// the name with wxConvFileName and hands it on.
#include <string>

#include <wx/string.h>

#include "tivra/io/HeifUtils.h"
#include "tivra/io/JxlUtils.h"

namespace tivra::io {

/// The file name behind a wx path, as the system spells it; empty if it cannot be converted.
std::string NarrowPath(const wxString& path);

}  // namespace tivra::io

namespace heif_utils {
template <>
cv::Mat heif_to_cvmat<wxString>(const wxString& path);
template <>
bool cvmat_to_heif<wxString>(const cv::Mat& image, const wxString& path, int quality);
}  // namespace heif_utils

namespace jxl_utils {
template <>
cv::Mat jxl_to_cvmat<wxString>(const wxString& path);
template <>
bool cvmat_to_jxl<wxString>(const cv::Mat& image, const wxString& path, int quality);
}  // namespace jxl_utils
