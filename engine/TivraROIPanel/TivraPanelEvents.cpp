#include "tivra/engine/TivraROIPanel/TivraPanelEvents.h"

// Definition order is initialisation order within this file: crop, then tool.
wxDEFINE_EVENT(TIVRAPanel_EVT_CROP_CHANGE, CropEvent);
wxDEFINE_EVENT(TIVRAPanel_EVT_TOOL_CHANGE, wxCommandEvent);
