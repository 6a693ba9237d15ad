// The free functions GetImageFileInfo, SetMaxImagePixels and GetMaxImagePixels.
#include "Bindings.h"

#include <string>

#include "Conversion.h"
#include "tivra/io/ImageFileInfo.h"
#include "tivra/io/PixelLimit.h"

namespace py = pybind11;

namespace tivra::bindings {

void BindImageInfo(py::module_& m)
{
    m.def(
        "GetImageFileInfo",
        [](const std::string& path) {
            ImageFileInfo info;
            {
                // Decoding a large file takes a while; other Python threads may run meanwhile.
                py::gil_scoped_release release;
                info = GetImageFileInfo(path);
            }
            return conversion::InfoToDict(info);
        },
        py::arg("path"),
        "Read image file metadata (size, channels, bit_depth, EXIF, GPS) without loading into a panel. "
        "Returns a dict.");
    m.def(
        "SetMaxImagePixels",
        [](long long pixels) {
            if (pixels < 1)
                throw py::value_error("SetMaxImagePixels: pixels must be at least 1, got " + std::to_string(pixels));
            tivra::io::SetMaxImagePixels(static_cast<std::uint64_t>(pixels));
        },
        py::arg("pixels"),
        "Set the largest image, in pixels (width x height), that any load accepts: the engine, both panels and "
        "GetImageFileInfo refuse a file declaring more before allocating its pixels. The default is OpenCV's "
        "limit (2**30, or OPENCV_IO_MAX_IMAGE_PIXELS); OpenCV's own limit still applies to the formats it decodes.");
    m.def(
        "GetMaxImagePixels", [] { return static_cast<long long>(tivra::io::GetMaxImagePixels()); },
        "The largest image, in pixels, that any load accepts (see SetMaxImagePixels).");
}

}  // namespace tivra::bindings
