#pragma once
// Advanced panels that show the same view: a zoom or pan on any of them is
// copied to the others, for comparing same-size images side by side.
#include <memory>
#include <vector>

#include <wx/weakref.h>

#include "tivra/engine/TivraROIPanel/TivraROIAdvPanel.h"

class ViewLink : public std::enable_shared_from_this<ViewLink> {
public:
    /// One group of `panels` and every panel already linked to one of them; the
    /// others take the first panel's view at once.
    static void Link(const std::vector<TivraROIAdvPanel*>& panels);
    /// Takes the panels out of their groups; a panel left alone is unlinked too.
    static void Unlink(const std::vector<TivraROIAdvPanel*>& panels);

    /// Gives the other live members `source`'s zoom and view centre, unless the
    /// group already shows that view (a late report of an older view changes
    /// nothing). The changes they report meanwhile are not copied back.
    void Follow(TivraROIAdvPanel& source);
    std::vector<TivraROIAdvPanel*> Members() const;

private:
    std::vector<wxWeakRef<TivraROIAdvPanel>> m_members;
    bool m_following = false;
    double m_zoom = 0.0;  // the view the group was last given
    cv::Point2d m_centre;
};
