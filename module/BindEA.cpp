// TivraModule.EA: the measurement library, one registration function per family.
#include "BindEA.h"

#include <cmath>
#include <limits>
#include <string>

#include "Bindings.h"
#include "Conversion.h"

namespace py = pybind11;

namespace tivra::bindings {

namespace ea {

cv::Point2f ToPixelPosition(const py::handle& point, const char* name)
{
    const cv::Point2f p = conversion::TupleToPoint(point, name);
    const auto fits = [](float v) {
        return std::isfinite(v) && std::abs(v) < float(std::numeric_limits<int>::max() / 2);
    };
    if (!fits(p.x) || !fits(p.y))
        throw py::value_error(std::string(name) + " must be a finite pixel position, got " +
                              std::string(py::repr(point)));
    return p;
}

cv::Point ToPixel(const py::handle& point, const char* name)
{
    return cv::Point(ToPixelPosition(point, name));
}

cv::Vec4f ToVec4(const py::handle& values, const char* name)
{
    if (py::isinstance<py::sequence>(values) && !py::isinstance<py::str>(values)) {
        const py::sequence items = py::reinterpret_borrow<py::sequence>(values);
        if (items.size() == 4) {
            try {
                return cv::Vec4f(items[0].cast<float>(), items[1].cast<float>(), items[2].cast<float>(),
                                 items[3].cast<float>());
            } catch (const py::cast_error&) {
            }
        }
    }
    throw py::value_error(std::string(name) + " must be four real numbers, got " + std::string(py::repr(values)));
}

py::tuple PointTuple(const cv::Point2f& p)
{
    return py::make_tuple(double(p.x), double(p.y));
}

py::tuple Vec4Tuple(const cv::Vec4f& v)
{
    return py::make_tuple(double(v[0]), double(v[1]), double(v[2]), double(v[3]));
}

py::object CircleOrNone(bool found, const cv::Point2f& centre, float radius)
{
    if (!found || !(radius > 0.0f))
        return py::none();
    return py::make_tuple(double(centre.x), double(centre.y), double(radius));
}

py::array_t<double> DoubleArray(const std::vector<double>& values)
{
    py::array_t<double> array(static_cast<py::ssize_t>(values.size()));
    std::copy(values.begin(), values.end(), array.mutable_data());
    return array;
}

}  // namespace ea

void BindEA(py::module_& m)
{
    py::module_ ea = m.def_submodule(
        "EA",
        "Measurement library: caliper edge search along lines and arcs, circle and line fitting, "
        "geometric primitives and curve peak/valley search.\n\n"
        "Coordinates are image pixels, x to the right, y downwards; angles are degrees measured with "
        "atan2(dy, dx), so they grow clockwise on screen. Points go in as (x, y) pairs or (N, 2) "
        "array-likes of real numbers and come out as (x, y) tuples or (N, 2) float32 arrays. "
        "Searches and fits run without the interpreter lock, so fits on several threads run in parallel.");
    // Lets "import TivraModule.EA" work as well as attribute access.
    py::module_::import("sys").attr("modules")["TivraModule.EA"] = ea;
    BindEAGeometry(ea);
    BindEAEdgeSearch(ea);
    BindEACircleFitting(ea);
    BindEALineFitting(ea);
    BindEAFrontDoors(ea);
    BindEAGauges(ea);
}

}  // namespace tivra::bindings
