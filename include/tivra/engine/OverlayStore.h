#pragma once
// What both ROI panels draw on top of the image besides their own overlay lists:
// the caller-owned ROI and text lists (with one font per caller text) and the
// pass/fail/recycle badge settings. The panels keep drawing; this only holds state.
#include <string>
#include <utility>
#include <vector>

#include <wx/string.h>

#include "tivra/engine/FrameLayers.h"
#include "tivra/roi/ROIRecords.h"
#include "tivra/roi/wx/TextRecord.h"

/// Pass/fail/recycle badge settings; a font height below zero asks the panel to fit it again.
struct PassFailBadge {
    bool show = false;
    int state = 0;
    wxString fontPath;
    wxString passText, failText, recycleText;
    int fontHeight = -1;
};

class OverlayStore {
public:
    /// The lists stay owned by the caller and must outlive their use by the panel.
    void SetExtDisplay(std::vector<cvROI*>* list) { m_extDisplay = list; }
    void SetExtText(std::vector<cvText*>* list, const std::string& defaultFontPath);
    const std::vector<cvROI*>* ExtDisplay() const { return m_extDisplay; }
    /// Each caller text with its font (either may be null); the fonts are loaded
    /// again when the caller's list changed length since they were last loaded.
    std::vector<std::pair<const cvText*, cv::freetype::FreeType2*>> ExtTextsWithFonts(
        const std::string& defaultFontPath);

    void UpdateBadge(bool show, int state);
    /// Hiding keeps every other setting; new labels or a new font ask for a new fit.
    void UpdateBadge(bool show, int state, const wxString& fontPath, const wxString& passText,
                     const wxString& failText, const wxString& recycleText);
    PassFailBadge& Badge() { return m_badge; }
    const PassFailBadge& Badge() const { return m_badge; }

private:
    /// Loads one font per caller text; a null text gets the default font.
    void RebuildExtTextFonts(const std::string& defaultFontPath);

    std::vector<cvROI*>* m_extDisplay = nullptr;
    std::vector<cvText*>* m_extText = nullptr;
    std::vector<FrameLayers::FontPtr> m_extTextFonts;
    PassFailBadge m_badge;
};
