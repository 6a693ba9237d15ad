#include "tivra/roi/ROIEditHistory.h"

#include "tivra/roi/ROIEditRecord.h"

#include <tuple>
#include <utility>

ROIShape ROIShape::Of(const ROIEditState& s)
{
    ROIShape shape;
    shape.mode = s.mode;
    shape.roiRect = s.roiRect;
    shape.leftDownPoint = s.leftDownPoint;
    shape.leftUpPoint = s.leftUpPoint;
    shape.innerRadius = s.innerRadius;
    shape.startAngle = s.startAngle;
    shape.endAngle = s.endAngle;
    shape.rotateAngle = s.rotateAngle;
    shape.rotationAccum = s.rotationAccum;
    shape.polygonPoints = s.polygonPoints;
    shape.polygonDrawing = s.polygonDrawing;
    return shape;
}

void ROIShape::RestoreInto(ROIEditState& s) const
{
    ROIEditRecord::Reset(s);
    // A click after the restore starts afresh, never as the repeat of one before it.
    s.lastClickTime = 0;
    s.lastClickPoint = cv::Point2f(-1.0f, -1.0f);
    s.polygonSnapshot.clear();
    s.mode = mode;
    s.roiRect = roiRect;
    s.leftDownPoint = leftDownPoint;
    s.leftUpPoint = leftUpPoint;
    s.innerRadius = innerRadius;
    s.startAngle = startAngle;
    s.endAngle = endAngle;
    s.rotateAngle = rotateAngle;
    s.rotationAccum = rotationAccum;
    s.polygonPoints = polygonPoints;
    s.polygonDrawing = polygonDrawing;
}

bool ROIShape::SameAs(const ROIShape& other) const
{
    const auto geometry = [](const ROIShape& g) {
        return std::tie(g.roiRect, g.leftDownPoint, g.leftUpPoint, g.innerRadius, g.startAngle, g.endAngle,
                        g.rotateAngle, g.polygonPoints);
    };
    const ROIShape blank;
    const bool bothBlank = geometry(*this) == geometry(blank) && geometry(other) == geometry(blank);
    return bothBlank || (geometry(*this) == geometry(other) && mode == other.mode &&
                         polygonDrawing == other.polygonDrawing);
}

void ROIEditHistory::Push(std::deque<ROIShape>& steps, ROIShape shape)
{
    steps.push_back(std::move(shape));
    if (steps.size() > kDepth)
        steps.pop_front();
}

bool ROIEditHistory::Commit(const ROIEditState& s)
{
    ROIShape now = ROIShape::Of(s);
    if (now.SameAs(m_finished)) {
        m_finished = std::move(now);  // keeps the kind chosen for an empty ROI
        return false;                 // and does not end a burst of keys
    }
    m_inBurst = false;
    Push(m_undo, std::move(m_finished));
    m_finished = std::move(now);
    m_redo.clear();
    return true;
}

void ROIEditHistory::CommitBurst(const ROIEditState& s, std::int64_t nowMillis)
{
    const bool joins = m_inBurst && !m_undo.empty() && nowMillis - m_lastBurstMillis < kBurstMillis;
    if (!joins) {
        m_inBurst = Commit(s);
    } else {
        m_finished = ROIShape::Of(s);
        if (m_finished.SameAs(m_undo.back())) {
            m_undo.pop_back();
            m_inBurst = false;
        }
    }
    m_lastBurstMillis = nowMillis;
}

bool ROIEditHistory::Revert(ROIEditState& s)
{
    m_inBurst = false;
    const bool changed = !ROIShape::Of(s).SameAs(m_finished) || s.dragging;
    m_finished.RestoreInto(s);
    return changed;
}

bool ROIEditHistory::Undo(ROIEditState& s)
{
    if (Revert(s))
        return true;
    if (m_undo.empty())
        return false;
    Push(m_redo, std::move(m_finished));
    m_finished = std::move(m_undo.back());
    m_undo.pop_back();
    m_finished.RestoreInto(s);
    return true;
}

bool ROIEditHistory::Redo(ROIEditState& s)
{
    m_inBurst = false;
    if (m_redo.empty())
        return false;
    Push(m_undo, std::move(m_finished));
    m_finished = std::move(m_redo.back());
    m_redo.pop_back();
    m_finished.RestoreInto(s);
    return true;
}

bool ROIEditHistory::CanUndo(const ROIEditState& s) const
{
    return !m_undo.empty() || !ROIShape::Of(s).SameAs(m_finished);
}

bool ROIEditHistory::CanRedo() const
{
    return !m_redo.empty();
}
