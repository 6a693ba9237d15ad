#include "tivra/engine/OverlayStore.h"

void OverlayStore::SetExtText(std::vector<cvText*>* list, const std::string& defaultFontPath)
{
    m_extText = list;
    RebuildExtTextFonts(defaultFontPath);
}

void OverlayStore::RebuildExtTextFonts(const std::string& defaultFontPath)
{
    m_extTextFonts.clear();
    if (!m_extText)
        return;
    for (const cvText* text : *m_extText)
        m_extTextFonts.push_back(FrameLayers::LoadFont(text ? text->fontPath : wxString(), defaultFontPath));
}

std::vector<std::pair<const cvText*, cv::freetype::FreeType2*>> OverlayStore::ExtTextsWithFonts(
    const std::string& defaultFontPath)
{
    std::vector<std::pair<const cvText*, cv::freetype::FreeType2*>> texts;
    if (!m_extText || m_extText->empty())
        return texts;
    if (m_extTextFonts.size() != m_extText->size())
        RebuildExtTextFonts(defaultFontPath);
    for (size_t i = 0; i < m_extText->size(); ++i)
        texts.emplace_back((*m_extText)[i], m_extTextFonts[i].get());
    return texts;
}

void OverlayStore::UpdateBadge(bool show, int state)
{
    m_badge.show = show;
    m_badge.state = state;
}

void OverlayStore::UpdateBadge(bool show, int state, const wxString& fontPath, const wxString& passText,
                               const wxString& failText, const wxString& recycleText)
{
    m_badge.show = show;
    if (!show)
        return;
    if (passText != m_badge.passText || failText != m_badge.failText || recycleText != m_badge.recycleText)
        m_badge.fontHeight = -1;
    m_badge.passText = passText;
    m_badge.failText = failText;
    m_badge.recycleText = recycleText;
    m_badge.state = state;
    if (fontPath != m_badge.fontPath) {
        m_badge.fontPath = fontPath;
        m_badge.fontHeight = -1;
    }
}
