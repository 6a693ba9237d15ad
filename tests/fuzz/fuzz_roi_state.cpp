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
           std::equal(a.items.begin(), a.items.end(), b.items.begin(), b.items.end(), Same);
}

bool SameField(const ROIStateFields::value_type& a, const ROIStateFields::value_type& b)
{
    return a.first == b.first && Same(a.second, b.second);
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
    const ROIStateFields saved = ROIState::Save(state), again = ROIState::Save(ROIState::Load(saved));
    if (!std::equal(saved.begin(), saved.end(), again.begin(), again.end(), SameField))
        std::abort();
    return 0;
}
