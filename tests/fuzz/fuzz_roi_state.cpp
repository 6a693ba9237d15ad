// libFuzzer target for the ROI state reader. Each input is a state as text (see
// tests/roi/ROIStateText.h). The reader either takes the state or throws
// std::invalid_argument; a state it took must save and read back to the very same fields.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "../roi/ROIStateText.h"

namespace {

bool Same(const ROIStateValue& a, const ROIStateValue& b)
{
    return a.type == b.type && a.flag == b.flag && a.text == b.text && a.number == b.number &&
           std::equal(a.items.begin(), a.items.end(), b.items.begin(), b.items.end(),
                      [](const ROIStateValue& x, const ROIStateValue& y) { return Same(x, y); });
}

bool Same(const ROIStateFields& a, const ROIStateFields& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const auto& x, const auto& y) { return x.first == y.first && Same(x.second, y.second); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    ROIEditState state;
    try {
        state = ROIState::Load(ParseROIStateText(std::string(reinterpret_cast<const char*>(data), size)));
    } catch (const std::invalid_argument&) {
        return 0;
    }
    const ROIStateFields saved = ROIState::Save(state);
    if (!Same(ROIState::Save(ROIState::Load(saved)), saved))
        std::abort();
    return 0;
}
