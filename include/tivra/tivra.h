#pragma once

// Umbrella header: every public header of the native library.

#include "tivra/analysis/Geometry.h"
#include "tivra/engine/Viewport.h"
#include "tivra/io/HeifUtils.h"
#include "tivra/io/JxlUtils.h"
#include "tivra/io/UnicodeImage.h"
#include "tivra/io/Utils.h"
#include "tivra/roi/Colors.h"
#include "tivra/roi/ROIGeometry.h"
#include "tivra/roi/ROIHitTest.h"
#include "tivra/roi/ROIRecords.h"
