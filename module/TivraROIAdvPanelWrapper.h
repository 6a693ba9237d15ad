#pragma once
// The object behind the Python class TivraROIAdvPanel: an advanced ROI panel
// inside a wxPython window. It adds to what both panel classes share the ROI,
// overlay and zoom operations and the Python callbacks.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <pybind11/pybind11.h>

#include "PanelWrapperBase.h"
#include "tivra/io/ImageFileInfo.h"
#include "tivra/roi/ROIRecords.h"
#include "tivra/roi/wx/TextRecord.h"
#include "tivra/roi/ROIState.h"

class TivraROIAdvPanel;
class CropEvent;

class TivraROIAdvPanelWrapper : public PanelWrapperBase {
public:
    explicit TivraROIAdvPanelWrapper(const tivra::embedding::PanelRequest& request);
    TivraROIAdvPanelWrapper(std::uintptr_t parentHandle, int id, int x, int y, int width, int height,
                            std::int64_t style, const std::string& name);
    ~TivraROIAdvPanelWrapper() override;

    bool LoadImage(const std::string& path);
    /// Loads on a worker thread; `callback(ok, info)` runs on the GUI thread
    /// unless a later load or the panel's end supersedes it.
    void LoadImageAsync(const std::string& path, const pybind11::object& callback);
    bool IsLoading() const;
    cv::Mat GetDrawMat() const;
    void SetZoomToFit();
    double GetZoomFactor() const;
    /// Null without a panel.
    const ImageFileInfo* GetLoadedImageInfo() const;
    void SetROIMode(int mode);
    int GetROIMode() const;
    void SetFuncEnable(bool menuEnable, bool cropEnable, bool moveEnable);
    void SetLockROI(bool lock);
    cv::Rect GetRect() const;
    void SetRect(const cv::Rect& rect);
    cv::Point2f GetLeftMouseDownPoint() const;
    cv::Point2f GetLeftMouseUpPoint() const;
    double GetStartAngle() const;
    double GetEndAngle() const;
    double GetRotateAngle() const;
    double GetInnerRadius() const;
    double GetOuterRadius() const;
    /// The current ROI as SetEditingROI takes it; a record of kind None without a panel.
    cvROI GetEditingROI() const;
    std::vector<cv::Point2f> GetPolygonPoints() const;
    void SetEditingROI(int mode, const std::vector<cv::Point2f>& points, double angle);
    /// Undo and redo of the current ROI: true when a step changed it.
    bool UndoROI();
    bool RedoROI();
    bool CanUndoROI() const;
    bool CanRedoROI() const;
    /// The state of an ROI of kind None without a panel.
    ROIStateFields GetROIState() const;
    /// Throws std::invalid_argument naming the field at fault; nothing changes then.
    void SetROIState(const ROIStateFields& fields);
    void ClearOverlay();
    void SetDisplayOverlay(bool show);
    bool GetDisplayOverlay() const;
    int AppendOverlay(int mode, const std::vector<cv::Point2f>& points, const cv::Scalar& color, int size,
                      double angle);
    /// Appends a text record; its index (texts count apart from shapes), -1 without a panel.
    int AppendTextOverlay(const cvText& text);
    void UpdateDrawImage(bool update);
    int AppendMaskOverlay(const cv::Mat& mask, const cv::Scalar& color, double alpha);
    std::vector<cv::Point2f> ConvertMaskToPolygon(const cv::Mat& mask);
    void SetMenuROIEnable(bool point, bool line, bool rectangle, bool rotatedRectangle, bool circle, bool annulus,
                          bool polygon);
    void HideROI();


    /// None clears the panel's hook. The callback gets ((x, y), index) and keeps
    /// the context menu closed by returning True.
    void SetOnRightClickCallback(const pybind11::object& callback);
    /// The callback gets (x, y, width, height) of GetRect after every finished
    /// edit; None clears it. The crop event is bound once, whatever the calls.
    void SetOnCropCallback(const pybind11::object& callback);
    /// These get the source point (x, y); None clears the panel's hook.
    void SetOnLeftDClickCallback(const pybind11::object& callback);
    void SetOnRightDClickCallback(const pybind11::object& callback);
    void SetOnMouseMoveCallback(const pybind11::object& callback);

    // View control (TivraROIAdvPanelView.cpp); without a panel nothing happens
    // and the view rectangle is empty.
    void SetZoomFactor(double factor, const std::optional<cv::Point2d>& center);
    cv::Rect2d GetViewRect() const;
    void SetViewCenter(double x, double y);
    void ScrollBy(int dx, int dy);
    void ZoomToRect(double x, double y, double width, double height);
    /// The callback gets (zoom, (x, y, w, h)) after every view change; None clears it.
    void SetOnViewChangedCallback(const pybind11::object& callback);
    /// The panel, for linking views; nullptr without one.
    TivraROIAdvPanel* ViewPanel() const { return AdvPanel(); }

    /// For Python's garbage collector: a callback that uses its own panel
    /// makes a cycle through the wrapper, which the collector can only see,
    /// and break, through these.
    int VisitCallbacks(visitproc visit, void* arg) const;
    void ClearCallbacks();

private:
    // The panel, or nullptr; throws when called off the GUI thread.
    TivraROIAdvPanel* AdvPanel() const;
    bool CallRightClick(const cv::Point2f& point, int index);

    /// False once this wrapper is gone: a panel whose destruction was handed to
    /// the GUI thread may still call its hooks and crop handler until then.
    using AliveFlag = std::shared_ptr<bool>;
    static void DeliverCrop(const AliveFlag& alive, const pybind11::object* slot, CropEvent& event);
    /// Calls a point callback with (x, y); what it raises goes to sys.unraisablehook.
    /// The end of an asynchronous load: the kept array goes and the callback runs.
    void DeliverLoad(bool ok, const ImageFileInfo& info);
    static void CallPointCallback(const AliveFlag& alive, const pybind11::object* slot, const cv::Point2f& point);
    using PointSetter = void (TivraROIAdvPanel::*)(std::function<void(const cv::Point2f&)>);
    void SetPointCallback(pybind11::object& slot, const pybind11::object& callback, PointSetter setter);

    pybind11::object m_cropCallback;
    pybind11::object m_rightClickCallback;
    pybind11::object m_leftDClickCallback;
    pybind11::object m_rightDClickCallback;
    pybind11::object m_mouseMoveCallback;
    pybind11::object m_viewChangedCallback;
    pybind11::object m_loadCallback;
    bool m_cropBound = false;
    AliveFlag m_alive = std::make_shared<bool>(true);
};
