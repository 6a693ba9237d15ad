// The free function GetImageFileInfo.
#include "Bindings.h"

#include <string>

#include "Conversion.h"
#include "tivra/io/ImageFileInfo.h"

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
}

}  // namespace tivra::bindings
