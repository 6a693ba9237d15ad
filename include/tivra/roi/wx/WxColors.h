#pragma once
// The named colours as wxColour, for wx drawing (library tivra_roi_wx).
#include <wx/colour.h>

#include "tivra/roi/Colors.h"

// wx colours: opaque wxColour (R, G, B, 255).
namespace wx_Color_Defines {
#define TIVRA_DEFINE_WX_COLOR(name, rgb) \
    inline const wxColour name(TIVRA_RGB_RED(rgb), TIVRA_RGB_GREEN(rgb), TIVRA_RGB_BLUE(rgb), wxALPHA_OPAQUE);
TIVRA_CSS_COLOR_KEYWORDS(TIVRA_DEFINE_WX_COLOR)
#undef TIVRA_DEFINE_WX_COLOR
} // namespace wx_Color_Defines
