#pragma once
// Undo and redo of the current ROI. The history keeps whole shapes, not
// operations: undoing puts back exactly the geometry an edit started from,
// whatever rule (mouse, keyboard, code) made it.

#include "tivra/roi/ROIEditor.h"

#include <opencv2/core.hpp>

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

// The geometry of an ROIEditState without the gesture editing it.
struct ROIShape {
    int mode = CvROIMode::None;
    cv::Rect2f roiRect;
    cv::Point2f leftDownPoint;
    cv::Point2f leftUpPoint;
    double innerRadius = -1.0;
    double startAngle = 0.0;
    double endAngle = 360.0;
    double rotateAngle = 0.0;
    double rotationAccum = 0.0;
    std::vector<cv::Point2f> polygonPoints;
    bool polygonDrawing = true;

    static ROIShape Of(const ROIEditState& s);
    /// Puts this geometry into s and ends any gesture in progress.
    void RestoreInto(ROIEditState& s) const;
    /// Equal geometry; two shapes with nothing set are equal whatever their kind,
    /// so that choosing another kind of an empty ROI is no edit.
    bool SameAs(const ROIShape& other) const;
};

class ROIEditHistory {
public:
    static constexpr std::size_t kDepth = 100;
    /// Keyboard edits closer together than this make one step.
    static constexpr std::int64_t kBurstMillis = 1000;

    /// A finished edit: when the ROI differs from the last finished state, that
    /// state becomes one undo step and the redo steps are dropped. Returns true
    /// when a step was recorded.
    bool Commit(const ROIEditState& s);
    /// A keyboard edit at `nowMillis`: joins the step of the keyboard edit before
    /// it when that came less than kBurstMillis earlier with nothing recorded in
    /// between. A burst that comes back to where it started leaves no step.
    void CommitBurst(const ROIEditState& s, std::int64_t nowMillis);
    /// Puts back the last finished state, cancelling a gesture in progress.
    /// Returns true when the ROI changed.
    bool Revert(ROIEditState& s);
    /// A gesture in progress is cancelled first; otherwise one step back
    /// (forward). Return true when the ROI changed.
    bool Undo(ROIEditState& s);
    bool Redo(ROIEditState& s);
    bool CanUndo(const ROIEditState& s) const;
    bool CanRedo() const;

private:
    void Push(std::deque<ROIShape>& steps, ROIShape shape);

    std::deque<ROIShape> m_undo;
    std::deque<ROIShape> m_redo;
    ROIShape m_finished;  // the state after the last finished edit
    bool m_inBurst = false;
    std::int64_t m_lastBurstMillis = 0;
};
