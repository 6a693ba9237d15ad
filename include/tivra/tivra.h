#pragma once
// Umbrella header: every public header of the module.

#include "tivra/analysis/Geometry.h"
