#pragma once
// ROI states as text, one field a line: "<name> <type> <value>", type b (bool), i (integer),
// r (real), t (text), l (a list of numbers read as [x, y] pairs) or any other letter for a
// host type the reader does not know, the value naming it. The fuzz target and the tests of
// hostile states read them so.
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>

#include "tivra/roi/ROIState.h"

inline ROIStateValue ROIStateListOf(std::istringstream& rest)
{
    std::vector<ROIStateValue> pairs, pair;
    for (std::string token; rest >> token;) {
        pair.push_back(ROIStateValue::Real(std::strtod(token.c_str(), nullptr)));
        if (pair.size() == 2)
            pairs.push_back(ROIStateValue::Sequence(std::exchange(pair, {})));
    }
    if (!pair.empty())
        pairs.push_back(ROIStateValue::Sequence(std::move(pair)));
    return ROIStateValue::Sequence(std::move(pairs));
}

inline ROIStateFields ParseROIStateText(const std::string& text)
{
    ROIStateFields fields;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        std::istringstream rest(line);
        std::string name, type, value;
        rest >> name >> type;
        if (type == "l") {
            fields[name] = ROIStateListOf(rest);
            continue;
        }
        std::getline(rest >> std::ws, value);
        if (type == "b")
            fields[name] = ROIStateValue::Boolean(value == "1");
        else if (type == "i")
            fields[name] = ROIStateValue::Integral(std::strtoll(value.c_str(), nullptr, 10));
        else if (type == "r")
            fields[name] = ROIStateValue::Real(std::strtod(value.c_str(), nullptr));
        else if (type == "t")
            fields[name] = ROIStateValue::String(value);
        else
            fields[name] = {ROIStateValue::Type::Other, false, 0.0, value};
    }
    return fields;
}
