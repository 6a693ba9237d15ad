#pragma once
// Every public header of the module's native library.
#include "tivra/io/HeifUtils.h"
#include "tivra/io/JxlUtils.h"
#include "tivra/io/UnicodeImage.h"
#include "tivra/io/Utils.h"
