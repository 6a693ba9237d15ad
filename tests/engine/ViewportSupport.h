#pragma once
#include "tivra/engine/Viewport.h"

// `source` shown in `window` at `scale`, scrolled to `scroll`.
inline Viewport MakeViewport(cv::Size source, cv::Size window, double scale, cv::Point scroll = {0, 0})
{
    Viewport vp;
    vp.SetOriginalSize(source);
    vp.SetWindowSize(window);
    vp.SetScale(scale);
    vp.SetScrollPosition(scroll);
    return vp;
}
