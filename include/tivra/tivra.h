#pragma once

// Umbrella header: every public header of the native library.

#include "tivra/analysis/CircleFitting.h"
#include "tivra/analysis/CurvePeakValley.h"
#include "tivra/analysis/EdgeSearch.h"
#include "tivra/analysis/Geometry.h"
#include "tivra/analysis/LineFitting.h"
#include "tivra/engine/Viewport.h"
#include "tivra/io/ExifReader.h"
#include "tivra/io/HeifUtils.h"
#include "tivra/io/ImageFileInfo.h"
#include "tivra/io/JxlUtils.h"
#include "tivra/io/UnicodeImage.h"
#include "tivra/io/Utils.h"
#include "tivra/roi/Colors.h"
#include "tivra/roi/LineStyles.h"
#include "tivra/roi/ROIGeometry.h"
#include "tivra/roi/ROIHitTest.h"
#include "tivra/roi/ROIRecords.h"
#include "tivra/roi/ROIRenderer.h"
