#include "tivra/roi/ROIState.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

ROIStateValue Num(double v)
{
    return ROIStateValue::Real(v);
}

ROIStateFields Rectangle()
{
    return {{"version", ROIStateValue::Integral(1)}, {"kind", ROIStateValue::String("Rectangle")},
            {"x", Num(1)}, {"y", Num(2)}, {"width", Num(3)}, {"height", Num(4)}};
}

ROIStateFields Annulus()
{
    return {{"version", ROIStateValue::Integral(1)}, {"kind", ROIStateValue::String("Annulus")},
            {"cx", Num(50)}, {"cy", Num(50)}, {"radius", Num(20)}, {"inner_radius", Num(5)},
            {"start_angle", Num(0)}, {"end_angle", Num(90)}};
}

ROIStateFields Polygon(std::vector<ROIStateValue> points, bool closed = true)
{
    return {{"version", ROIStateValue::Integral(1)}, {"kind", ROIStateValue::String("Polygon")},
            {"points", ROIStateValue::Sequence(std::move(points))}, {"closed", ROIStateValue::Boolean(closed)}};
}

ROIStateValue Pair(double x, double y)
{
    return ROIStateValue::Sequence({Num(x), Num(y)});
}

struct Hostile {
    ROIStateFields fields;
    const char* named; // the message names this
};

ROIStateFields With(ROIStateFields f, const std::string& key, ROIStateValue v)
{
    f[key] = std::move(v);
    return f;
}

ROIStateFields Without(ROIStateFields f, const std::string& key)
{
    f.erase(key);
    return f;
}

} // namespace

// The cases tests/engine/test_advpanel_roi_keys.py sends through SetROIState (a missing
// width, version 2, kind "Blob", a string or bool number, a NaN, a negative height) are not
// repeated here; neither is the round trip of every kind that it checks.
TEST(ROIState, HostileFieldsAreNamed)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    ROIStateValue unknownType;
    unknownType.text = "dict";
    const std::vector<Hostile> cases = {
        {Without(Rectangle(), "version"), "missing key \"version\""},
        {With(Rectangle(), "kind", ROIStateValue::Integral(3)), "\"kind\" must be a string, not int"},
        {With(Rectangle(), "y", unknownType), "\"y\" must be a number, not dict"},
        {With(Rectangle(), "x", Num(-inf)), "\"x\" = -inf is not finite"},
        {With(Rectangle(), "x", Num(1e300)), "\"x\" = 1e+300 is beyond"},
        {With(Annulus(), "inner_radius", Num(21)), "\"inner_radius\" = 21 must not exceed"},
        {With(Annulus(), "end_angle", Num(-1)), "\"end_angle\" = -1 must not be less"},
        {With(Annulus(), "end_angle", Num(361)), "\"end_angle\" = 361 sweeps"},
        {With(Polygon({}), "points", Num(1)), "\"points\" must be a list"},
        {Polygon({Pair(0, 0), Pair(5, 0), ROIStateValue::Sequence({Num(1)})}), "\"points[2]\" must be a pair"},
        {Polygon({Pair(0, 0), Pair(5, nan), Pair(1, 1)}), "\"points[1][1]\" = nan"},
        {Polygon({Pair(0, 0), Pair(5, 0)}), "\"closed\" polygon needs at least 3 points"},
        {With(Polygon({}, false), "closed", ROIStateValue::Integral(1)), "\"closed\" must be true or false"},
        {Polygon(std::vector<ROIStateValue>(ROIState::kMostPolygonPoints + 1, Pair(1, 1))), "more than 100000"},
    };
    for (const Hostile& c : cases) {
        try {
            ROIState::Load(c.fields);
            ADD_FAILURE() << "accepted: " << c.named;
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(c.named), std::string::npos) << e.what();
        }
    }
}
