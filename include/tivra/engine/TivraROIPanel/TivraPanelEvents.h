#pragma once
// Events the ROI panels raise for native code that embeds them.
#include <opencv2/core.hpp>
#include <wx/event.h>

/// A finished edit of the current ROI; `m_rect` is what GetRect gave at that moment.
class CropEvent : public wxCommandEvent {
public:
    CropEvent(wxEventType type = wxEVT_NULL, int id = 0, const cv::Rect& rect = cv::Rect())
        : wxCommandEvent(type, id), m_rect(rect)
    {
    }
    CropEvent(const CropEvent& other) = default;

    wxEvent* Clone() const override { return new CropEvent(*this); }
    wxEventCategory GetEventCategory() const override { return wxEVT_CATEGORY_USER_INPUT; }

    cv::Rect m_rect;
};

// Both types are made when the module is loaded, the crop type first.
wxDECLARE_EVENT(TIVRAPanel_EVT_CROP_CHANGE, CropEvent);
/// The ROI kind was changed from the context menu; the event's int is the new kind.
wxDECLARE_EVENT(TIVRAPanel_EVT_TOOL_CHANGE, wxCommandEvent);
