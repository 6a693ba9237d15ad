#include "tivra/engine/TivraROIPanel/ViewLink.h"

#include <algorithm>

void ViewLink::Link(const std::vector<TivraROIAdvPanel*>& panels)
{
    std::vector<TivraROIAdvPanel*> members;
    const auto add = [&](TivraROIAdvPanel* panel) {
        if (panel && std::find(members.begin(), members.end(), panel) == members.end())
            members.push_back(panel);
    };
    for (TivraROIAdvPanel* panel : panels) {
        add(panel);
        if (panel && panel->GetViewLink())
            for (TivraROIAdvPanel* member : panel->GetViewLink()->Members())
                add(member);
    }
    if (members.size() < 2)
        return;
    auto group = std::make_shared<ViewLink>();
    for (TivraROIAdvPanel* member : members) {
        group->m_members.emplace_back(member);
        member->SetViewLink(group);
    }
    group->Follow(*members.front());
}

void ViewLink::Unlink(const std::vector<TivraROIAdvPanel*>& panels)
{
    for (TivraROIAdvPanel* panel : panels) {
        if (!panel || !panel->GetViewLink())
            continue;
        const std::shared_ptr<ViewLink> group = panel->GetViewLink();
        panel->SetViewLink(nullptr);
        const std::vector<TivraROIAdvPanel*> rest = group->Members();
        group->m_members.assign(rest.begin(), rest.end());
        group->m_members.erase(std::remove(group->m_members.begin(), group->m_members.end(), panel),
                               group->m_members.end());
        if (group->m_members.size() == 1)
            group->m_members.front()->SetViewLink(nullptr);
    }
}

std::vector<TivraROIAdvPanel*> ViewLink::Members() const
{
    std::vector<TivraROIAdvPanel*> alive;
    for (const wxWeakRef<TivraROIAdvPanel>& member : m_members)
        if (member)
            alive.push_back(member.get());
    return alive;
}

void ViewLink::Follow(TivraROIAdvPanel& source)
{
    const double zoom = source.GetZoomFactor();
    const cv::Point2d centre = source.GetViewCenter();
    if (m_following || (zoom == m_zoom && centre == m_centre))
        return;
    m_zoom = zoom;
    m_centre = centre;
    const std::shared_ptr<ViewLink> keep = shared_from_this();  // the last member may go meanwhile
    m_following = true;
    // Weak references: a peer's own view hook may destroy any of the panels.
    const std::vector<wxWeakRef<TivraROIAdvPanel>> members = m_members;
    for (const wxWeakRef<TivraROIAdvPanel>& member : members)
        if (member && member.get() != &source)
            member->SetZoomFactor(zoom, centre);
    m_following = false;
}
