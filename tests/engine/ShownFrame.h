#pragma once
// Panels in a real (shown) wx window, and the events a user's mouse and keys would send them.
#include <gtest/gtest.h>
#include <opencv2/core.hpp>
#include <wx/app.h>
#include <wx/frame.h>
#include <wx/utils.h>

class ShownFrameTest : public ::testing::Test {
protected:
    // A frame stretches a lone child over its client area; the container takes
    // that role so the panels keep the sizes the tests give them.
    void SetUp() override
    {
        m_frame = new wxFrame(nullptr, wxID_ANY, "panel test", wxPoint(0, 0), wxSize(900, 700));
        m_container = new wxWindow(m_frame, wxID_ANY);
    }
    void TearDown() override
    {
        m_frame->Destroy();
        wxYield();
    }

    void ShowFrame()
    {
        m_frame->Show();
        m_frame->Raise();
        Settle();
    }

    static void Settle()
    {
        for (int i = 0; i < 5; ++i) {
            wxYield();
            wxMilliSleep(10);
        }
    }

    static void Send(wxWindow* panel, wxEvent& event)
    {
        event.SetEventObject(panel);
        panel->GetEventHandler()->ProcessEvent(event);
    }

    static void SendMouse(wxWindow* panel, wxEventType type, int x, int y, bool leftDown)
    {
        wxMouseEvent event(type);
        event.SetPosition(wxPoint(x, y));
        event.m_leftDown = leftDown;
        Send(panel, event);
    }

    static void SendKey(wxWindow* panel, wxEventType type, int code, bool ctrl = false, bool shift = false)
    {
        wxKeyEvent event(type);
        event.m_keyCode = code;
        event.m_controlDown = ctrl;
        event.m_shiftDown = shift;
        Send(panel, event);
    }

    wxFrame* m_frame = nullptr;
    wxWindow* m_container = nullptr;
};

// A BGR image whose pixels name their own position: (x, y, x + y), each modulo 256.
inline cv::Mat Gradient(int rows, int cols)
{
    cv::Mat m(rows, cols, CV_8UC3);
    for (int y = 0; y < rows; ++y)
        for (int x = 0; x < cols; ++x)
            m.at<cv::Vec3b>(y, x) = cv::Vec3b(x % 256, y % 256, (x + y) % 256);
    return m;
}
