// EA caliper edge search along lines and arcs. The image is read in place while
// the search runs, without the interpreter lock.
#include "BindEA.h"

#include <string>

#include "Conversion.h"
#include "tivra/analysis/EdgeSearch.h"

namespace py = pybind11;
using tivra::conversion::ArrayAsMat;
using tivra::conversion::ArrayToPoints;
using tivra::conversion::ImageArray;
using tivra::conversion::PointsToArray;

namespace tivra::bindings {
namespace {

using namespace ea;
using Handle = const py::object&;

const char* const kConventions =
    "\n\nimg: uint8 image, (h, w), (h, w, 1), (h, w, 3) or (h, w, 4); a three-channel pixel counts as the "
    "mean of B, G and R. threshold: minimum step response (the kernel is -1 ... [0] ... +1 over "
    "kernelSize samples, so a step of height s gives about s * kernelSize / 2). polarity: 0 either "
    "direction, 1 rising (dark to bright along the search), 2 falling, 3 the strongest response of "
    "either direction. kernelSize: 2 to 15 (smaller values act as 2, larger as 15). connectivity: 4 or 8, "
    "the pixel walk from p1 to p2 (pixel positions, finite, rounded to whole pixels).";

int CheckedConnectivity(int connectivity)
{
    if (connectivity != 4 && connectivity != 8)
        throw py::value_error("connectivity must be 4 or 8, got " + std::to_string(connectivity));
    return connectivity;
}

py::object EdgeOrNone(const cv::Point2f& p, int index)
{
    if (index < 0)
        return py::none();
    return py::make_tuple(PointTuple(p), index);
}

using LineSearch = cv::Point2f (*)(const cv::Mat&, int, int, int, cv::Point, cv::Point, int, int&);
using ProfileSearch = cv::Point2f (*)(const cv::Mat&, int, int, int, cv::Point, cv::Point, int,
                                      std::vector<double>&, std::vector<double>&, int&);

template <LineSearch Search, ProfileSearch WithProfile>
py::object SearchLine(const ImageArray& img, int threshold, int polarity, int kernelSize, Handle p1, Handle p2,
                      int connectivity, bool withProfile)
{
    const cv::Mat image = ArrayAsMat(img);
    const cv::Point from = ToPixel(p1, "p1"), to = ToPixel(p2, "p2");
    CheckedConnectivity(connectivity);
    int index = -1;
    cv::Point2f edge;
    std::vector<double> profile, response;
    {
        py::gil_scoped_release release;
        if (withProfile)
            edge = WithProfile(image, threshold, polarity, kernelSize, from, to, connectivity, profile, response, index);
        else
            edge = Search(image, threshold, polarity, kernelSize, from, to, connectivity, index);
    }
    if (!withProfile)
        return EdgeOrNone(edge, index);
    return py::make_tuple(EdgeOrNone(edge, index), DoubleArray(profile), DoubleArray(response));
}

using ArcSearch = cv::Point2f (*)(const cv::Mat&, int, int, int, const std::vector<cv::Point2f>&, int&);

template <ArcSearch Search>
py::object SearchArc(const ImageArray& img, int threshold, int polarity, int kernelSize, Handle arc)
{
    const cv::Mat image = ArrayAsMat(img);
    const std::vector<cv::Point2f> points = ArrayToPoints(arc, "arc");
    int index = -1;
    cv::Point2f edge;
    {
        py::gil_scoped_release release;
        edge = Search(image, threshold, polarity, kernelSize, points, index);
    }
    return EdgeOrNone(edge, index);
}

std::string Doc(const char* what)
{
    return std::string(what) + kConventions;
}

}  // namespace

void BindEAEdgeSearch(py::module_& ea)
{
    constexpr auto findEdgePoint = py::overload_cast<const cv::Mat&, int, int, int, cv::Point, cv::Point, int, int&>(
        &EA::findEdgePoint);
    constexpr auto findEdgePointProfile =
        py::overload_cast<const cv::Mat&, int, int, int, cv::Point, cv::Point, int, std::vector<double>&,
                          std::vector<double>&, int&>(&EA::findEdgePoint);
    constexpr auto subPixel = py::overload_cast<const cv::Mat&, int, int, int, cv::Point, cv::Point, int, int&>(
        &EA::findEdgePoint_subPixel);
    constexpr auto subPixelProfile =
        py::overload_cast<const cv::Mat&, int, int, int, cv::Point, cv::Point, int, std::vector<double>&,
                          std::vector<double>&, int&>(&EA::findEdgePoint_subPixel);

    ea.def("findEdgePoint", &SearchLine<findEdgePoint, findEdgePointProfile>, py::arg("img"), py::arg("threshold"),
           py::arg("polarity"), py::arg("kernelSize"), py::arg("p1"), py::arg("p2"), py::arg("connectivity") = 8,
           py::arg("with_profile") = false,
           Doc("First (polarity 3: strongest) edge along the line p1->p2 at a whole pixel: ((x, y), index), "
               "index being the sample along the walk, or None when there is none. The kernel trails each sample "
               "(with kernel size 2 a dark-to-bright step reports its first bright pixel); kernel sizes 10 to 15 "
               "use the size-3 kernel. With with_profile=True the kernel is centred on each sample and the "
               "result is (edge or None, profile, response): the sampled intensities and the step response, "
               "1-D float64 arrays of one value per visited pixel (the response 0 where the kernel does not fit).")
               .c_str());
    ea.def("findEdgePoint_subPixel", &SearchLine<subPixel, subPixelProfile>, py::arg("img"), py::arg("threshold"),
           py::arg("polarity"), py::arg("kernelSize"), py::arg("p1"), py::arg("p2"), py::arg("connectivity") = 8,
           py::arg("with_profile") = false,
           Doc("Sub-pixel edge along p1->p2: the response peak of the first edge passing the threshold "
               "(polarity 3: the strongest), refined by a parabola through the neighbouring responses. Returns "
               "((x, y), index) or None; with with_profile=True, (edge or None, profile, response) as "
               "findEdgePoint gives them.")
               .c_str());
    ea.def("findArcEdgePoint", &SearchArc<EA::findArcEdgePoint>, py::arg("img"), py::arg("threshold"),
           py::arg("polarity"), py::arg("kernelSize"), py::arg("arc"),
           Doc("Edge along an arc given as an (N, 2) array of sample points (rounded to the nearest pixel; "
               "points outside the image sample 0): ((x, y), index) with the arc point exactly as given, or "
               "None when there is none or the arc is empty. connectivity does not apply.")
               .c_str());
    ea.def("findArcEdgePoint_subPixel", &SearchArc<EA::findArcEdgePoint_subPixel>, py::arg("img"),
           py::arg("threshold"), py::arg("polarity"), py::arg("kernelSize"), py::arg("arc"),
           Doc("As findArcEdgePoint, the position interpolated between neighbouring arc points: ((x, y), index) "
               "or None.")
               .c_str());
    ea.def(
        "findAllEdgePoints",
        [](const ImageArray& img, int threshold, int polarity, int kernelSize, Handle p1, Handle p2,
           int connectivity) {
            const cv::Mat image = ArrayAsMat(img);
            const cv::Point from = ToPixel(p1, "p1"), to = ToPixel(p2, "p2");
            CheckedConnectivity(connectivity);
            std::vector<cv::Point2f> edges;
            {
                py::gil_scoped_release release;
                edges = EA::findAllEdgePoints(image, threshold, polarity, kernelSize, from, to, connectivity);
            }
            return PointsToArray(edges);
        },
        py::arg("img"), py::arg("threshold"), py::arg("polarity"), py::arg("kernelSize"), py::arg("p1"),
        py::arg("p2"), py::arg("connectivity") = 8,
        Doc("Every edge along p1->p2 in order from p1, at whole pixels, as an (N, 2) float32 array (empty when "
            "there is none).")
            .c_str());
    ea.def(
        "findAllEdgePoints_subPixel",
        [](const ImageArray& img, int threshold, int polarity, int kernelSize, Handle p1, Handle p2,
           int connectivity) {
            const cv::Mat image = ArrayAsMat(img);
            // The search truncates its ends to whole pixels itself.
            const cv::Point2f from = ToPixelPosition(p1, "p1"), to = ToPixelPosition(p2, "p2");
            CheckedConnectivity(connectivity);
            std::vector<cv::Point2f> edges;
            {
                py::gil_scoped_release release;
                edges = EA::findAllEdgePoints_subPixel(image, threshold, polarity, kernelSize, from, to,
                                                       connectivity);
            }
            return PointsToArray(edges);
        },
        py::arg("img"), py::arg("threshold"), py::arg("polarity"), py::arg("kernelSize"), py::arg("p1"),
        py::arg("p2"), py::arg("connectivity") = 8,
        Doc("Every local response peak along p1->p2 passing the threshold, with sub-pixel positions, as an "
            "(N, 2) float32 array; peaks closer than kernelSize to the previous one are dropped. Polarity 3 "
            "finds nothing here.")
            .c_str());
}

}  // namespace tivra::bindings
