#include "TextOverlay.h"

#include <cmath>

#include "Conversion.h"

namespace py = pybind11;

namespace tivra::text_overlay {
namespace {

cv::Scalar StrictColor(const py::handle& color, const char* name)
{
    const std::string problem = std::string(name) + " must be (B, G, R) or (B, G, R, A) with values 0-255, got ";
    if (!py::isinstance<py::sequence>(color) || py::isinstance<py::str>(color))
        throw py::value_error(problem + std::string(py::repr(color)));
    const py::sequence values = py::reinterpret_borrow<py::sequence>(color);
    if (values.size() != 3 && values.size() != 4)
        throw py::value_error(problem + std::string(py::repr(color)));
    cv::Scalar out(0, 0, 0, 255);
    for (size_t i = 0; i < values.size(); ++i) {
        double v = -1.0;
        try {
            v = values[i].cast<double>();
        } catch (const py::cast_error&) {
        }
        if (!(v >= 0.0 && v <= 255.0))
            throw py::value_error(problem + std::string(py::repr(color)));
        out[static_cast<int>(i)] = v;
    }
    return out;
}

wxArrayString Lines(const std::string& text)
{
    wxArrayString lines;
    size_t start = 0;
    while (true) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.Add(wxString::FromUTF8(line.data(), line.size()));
        if (end == std::string::npos)
            return lines;
        start = end + 1;
    }
}

}  // namespace

cvText Make(const std::string& text, const py::handle& position, const py::handle& color, int size,
            const py::handle& background)
{
    cvText record;
    record.visible = true;
    record.position = conversion::TupleToPoint(position, "position");
    if (!std::isfinite(record.position.x) || !std::isfinite(record.position.y))
        throw py::value_error("position must be finite, got " + std::string(py::repr(position)));
    if (size < 1 || size > kMaxSize)
        throw py::value_error("size must be 1 to " + std::to_string(kMaxSize) + " pixels, got " +
                              std::to_string(size));
    record.fontHeight = size;
    record.color = StrictColor(color, "color");
    record.drawBackground = !background.is_none();
    if (record.drawBackground)
        record.bgColor = StrictColor(background, "background");
    record.lines = Lines(text);
    return record;
}

}  // namespace tivra::text_overlay
