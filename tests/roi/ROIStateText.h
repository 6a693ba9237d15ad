#pragma once
// ROI states as text, one field a line: "<name> <type> <value>", type b (bool), i (integer),
// r (real), t (text), l (a list of numbers read as [x, y] pairs) or any other letter for a
// host type the reader does not know, the value naming it. The fuzz target and the tests of
// hostile states read them so.
#include <cstdlib>
#include <sstream>
#include <string>

#include "tivra/roi/ROIState.h"

// A value of a host type the reader does not know, by the type's name.
inline ROIStateValue HostValue(const std::string& typeName)
{
    ROIStateValue value;
    value.text = typeName;
    return value;
}

inline ROIStateValue ROIStateListOf(std::istringstream& rest)
{
    std::vector<ROIStateValue> pairs;
    std::string token;
    std::vector<ROIStateValue> pair;
    while (rest >> token) {
        pair.push_back(ROIStateValue::Real(std::strtod(token.c_str(), nullptr)));
        if (pair.size() == 2)
            pairs.push_back(ROIStateValue::Sequence(std::move(pair))), pair.clear();
    }
    if (!pair.empty())
        pairs.push_back(ROIStateValue::Sequence(std::move(pair)));
    return ROIStateValue::Sequence(std::move(pairs));
}

inline ROIStateFields ParseROIStateText(const std::string& text)
{
    ROIStateFields fields;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
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
            fields[name] = HostValue(value);
    }
    return fields;
}
