#pragma once

// Umbrella header: every public header of the native library.

#include "tivra/analysis/CurvePeakValley.h"
#include "tivra/analysis/EdgeSearch.h"
#include "tivra/analysis/Geometry.h"
#include "tivra/analysis/LineFitting.h"
#include "tivra/engine/Viewport.h"
#include "tivra/roi/Colors.h"
#include "tivra/roi/ROIRecords.h"
