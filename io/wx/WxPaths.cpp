#include "tivra/io/wx/WxPaths.h"

namespace tivra::io {

std::string NarrowPath(const wxString& path)
{
    const wxCharBuffer converted = path.mb_str(*wxConvFileName);
    return std::string(converted.data() ? converted.data() : "");
}

}  // namespace tivra::io

namespace heif_utils {

template <>
cv::Mat heif_to_cvmat<wxString>(const wxString& path)
{
    return heif_to_cvmat(tivra::io::NarrowPath(path));
}

template <>
bool cvmat_to_heif<wxString>(const cv::Mat& image, const wxString& path, int quality)
{
    return cvmat_to_heif(image, tivra::io::NarrowPath(path), quality);
}

}  // namespace heif_utils

namespace jxl_utils {

template <>
cv::Mat jxl_to_cvmat<wxString>(const wxString& path)
{
    return jxl_to_cvmat(tivra::io::NarrowPath(path));
}

template <>
bool cvmat_to_jxl<wxString>(const cv::Mat& image, const wxString& path, int quality)
{
    return cvmat_to_jxl(image, tivra::io::NarrowPath(path), quality);
}

}  // namespace jxl_utils
