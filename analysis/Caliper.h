#pragma once
// The caliper shared by the gauges: a profile sampled along a search segment and
// the steps found in it.

#include "tivra/analysis/Gauges.h"

#include <string>
#include <vector>

namespace EA::Caliper {

/// Reason the image cannot be gauged (empty, wrong depth or channel count), or empty.
std::string imageProblem(const cv::Mat& img);

/// True when every value is finite.
bool allFinite(std::initializer_list<double> values);

/// The edges (params.select) along start -> end, averaging params.width lines across
/// the search: parallel lines, or with a pivot rays fanned about it (radial calipers).
/// Samples outside the image are not used: the caliper keeps the longest run of
/// samples inside. Returns false when that run is too short to hold a step.
bool findEdges(const cv::Mat& img, cv::Point2f start, cv::Point2f end, const CaliperParams& params,
               std::vector<GaugeEdge>& edges, const cv::Point2f* pivot = nullptr);

/// The caliper's parameters with the kernel size limited to [2, 15] and the width to >= 1.
CaliperParams limited(const CaliperParams& params);

/// Checks the parameters every caliper shares; returns the reason they are unusable, or empty.
std::string paramsProblem(const CaliperParams& params);

}  // namespace EA::Caliper
