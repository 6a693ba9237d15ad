// The four enumerations and the module constants.
#include "Bindings.h"

#include <opencv2/imgcodecs.hpp>
#include <opencv2/imgproc.hpp>

namespace py = pybind11;

namespace tivra::bindings {

template <typename E>
static void RegisterEnum(py::module_& m, const char* name, const char* doc,
                         std::initializer_list<std::pair<const char*, int32_t>> members)
{
    py::enum_<E> e(m, name, doc);
    for (const auto& [memberName, value] : members)
        e.value(memberName, static_cast<E>(value));
    e.export_values();
}

void BindEnums(py::module_& m)
{
    RegisterEnum<CvDisplayModeValue>(m, "CvDisplayMode", "How a panel scales its image: Original (1:1) or ZoomToFit.",
                                     {{"Original", 0}, {"ZoomToFit", 1}});
    // 8 (ArrowLine) and 9 (Ellipse) are drawing-only kinds and stay unregistered.
    RegisterEnum<CvROIModeValue>(m, "CvROIMode", "Kind of ROI: the one the mouse draws, or an overlay's kind.",
                                 {{"None", 0},
                                  {"Point", 1},
                                  {"Line", 2},
                                  {"Rectangle", 3},
                                  {"RotatedRectangle", 4},
                                  {"Circle", 5},
                                  {"Annulus", 6},
                                  {"Polygon", 7},
                                  {"Mask", 10}});
    RegisterEnum<GuideLineModeValue>(m, "GuideLineMode", "Guide lines a panel draws over its image.",
                                     {{"Off", 0},
                                      {"CenterCross", 1},
                                      {"RuleOfThirds", 2},
                                      {"GoldenRatio", 3},
                                      {"SafeZones", 4},
                                      {"AspectRatioMask", 5},
                                      {"DiagonalLines", 6},
                                      {"CornerMarkers", 7}});
    RegisterEnum<AspectRatioValue>(m, "AspectRatio", "Frame proportions shown by the AspectRatioMask guide mode.",
                                   {{"AR_1_1", 0},
                                    {"AR_4_3", 1},
                                    {"AR_3_2", 2},
                                    {"AR_16_9", 3},
                                    {"AR_2_39_1", 4},
                                    {"AR_9_16", 5}});
}

void BindConstants(py::module_& m)
{
    m.attr("INTER_NEAREST") = static_cast<int>(cv::INTER_NEAREST);
    m.attr("INTER_LINEAR") = static_cast<int>(cv::INTER_LINEAR);
    m.attr("INTER_AREA") = static_cast<int>(cv::INTER_AREA);
    m.attr("INTER_CUBIC") = static_cast<int>(cv::INTER_CUBIC);
    m.attr("INTER_LANCZOS4") = static_cast<int>(cv::INTER_LANCZOS4);
    m.attr("IMREAD_UNCHANGED") = static_cast<int>(cv::IMREAD_UNCHANGED);
    m.attr("IMREAD_GRAYSCALE") = static_cast<int>(cv::IMREAD_GRAYSCALE);
    m.attr("IMREAD_COLOR") = static_cast<int>(cv::IMREAD_COLOR);
    m.attr("IMREAD_ANYDEPTH") = static_cast<int>(cv::IMREAD_ANYDEPTH);
    m.attr("IMREAD_ANYCOLOR") = static_cast<int>(cv::IMREAD_ANYCOLOR);
    m.attr("__version__") = "0.1.1";
}

}  // namespace tivra::bindings
