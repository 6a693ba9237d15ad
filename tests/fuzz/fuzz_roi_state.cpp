// libFuzzer target for the ROI state reader. Each input is a state, one field a line:
// "<name> <type> <value>", type b (bool), i (integer), r (real), t (text), o (a host
// type the reader does not know) or l (a list of numbers read as [x, y] pairs).
// The reader either takes the state or throws std::invalid_argument; a state it took
// must save and read back to the very same fields.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <string>

#include "tivra/roi/ROIState.h"

namespace {

ROIStateValue ListOf(std::istringstream& rest)
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

ROIStateFields Parse(const std::string& text)
{
    ROIStateFields fields;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream rest(line);
        std::string name, type, value;
        rest >> name >> type;
        if (type == "l") {
            fields[name] = ListOf(rest);
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
            fields[name] = ROIStateValue{};
    }
    return fields;
}

bool Same(const ROIStateValue& a, const ROIStateValue& b)
{
    if (a.type != b.type || a.flag != b.flag || a.text != b.text || a.items.size() != b.items.size())
        return false;
    if (!(a.number == b.number))
        return false;
    for (std::size_t i = 0; i < a.items.size(); ++i)
        if (!Same(a.items[i], b.items[i]))
            return false;
    return true;
}

bool Same(const ROIStateFields& a, const ROIStateFields& b)
{
    if (a.size() != b.size())
        return false;
    for (const auto& [key, value] : a) {
        const auto other = b.find(key);
        if (other == b.end() || !Same(value, other->second))
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ROIEditState state;
    try {
        state = ROIState::Load(Parse(std::string(reinterpret_cast<const char*>(data), size)));
    } catch (const std::invalid_argument&) {
        return 0;
    }
    const ROIStateFields saved = ROIState::Save(state);
    if (!Same(ROIState::Save(ROIState::Load(saved)), saved))
        std::abort();
    return 0;
}
