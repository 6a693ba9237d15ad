#include "PanelImage.h"

#include "tivra/engine/TivraROIPanel/TivraPanel.h"

namespace py = pybind11;

namespace tivra::panel_image {

namespace {

void RequireShareable(const py::array& array)
{
    const py::dtype type = array.dtype();
    if (type.kind() != 'u' || type.itemsize() != 1)
        throw py::value_error("SetMat with copy=False needs a uint8 array, got dtype " +
                              std::string(py::str(static_cast<const py::handle&>(type))));
    if ((array.flags() & py::array::c_style) == 0)
        throw py::value_error("SetMat with copy=False needs a C-contiguous array "
                              "(numpy.ascontiguousarray makes one)");
}

}  // namespace

void Show(TivraPanel& panel, const conversion::ImageArray& image, bool copy, py::object& kept)
{
    if (!copy)
        RequireShareable(image.array);
    // A view of packed arrays: the panel makes the one copy it keeps.
    const cv::Mat pixels = conversion::ArrayAsRawMat(image);
    const bool shown = copy ? panel.SetCVmat(pixels, false, false) : panel.ShareCVmat(pixels);
    // A refused image leaves the previous one, and the array it may be, in place.
    if (shown)
        kept = copy ? py::object() : py::object(image.array);
    panel.Refresh(true);
    panel.Update();
}

void Refresh(TivraPanel& panel, const py::object& kept)
{
    if (kept)
        panel.RefreshImage();
    else
        panel.Refresh(true);
}

}  // namespace tivra::panel_image
