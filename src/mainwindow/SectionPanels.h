// The collapsible sections of the stats page (two) and the function page
// (five): their layout (SectionStack), the toggles, the scroll ranges
// (RefreshVSBMain, RefreshVSBFunc) and the function page's title highlight
// (ClearFuncHighlight, HighlightFunc), all callable by scripts. The pages
// copy the numbers onto their widgets through SectionPanelsView.
#pragma once

#include "config/SectionStack.h"
#include "scripting/OperationTable.h"

#include <array>
#include <cstdint>
#include <string>

namespace ravelin {

enum class SectionPanel { Stats, Function };

struct SectionColour {
    std::uint8_t red, green, blue;
    bool operator==(const SectionColour&) const = default;
};

inline constexpr SectionColour kFuncTitleGrey{128, 128, 128};
inline constexpr SectionColour kFuncTitleHighlight{128, 128, 255};

inline constexpr std::array<const char*, 2> kStatsSectionTitles = {"Internal Statistics", "Web Statistics"};
// The internal statistics hold four tables and a chart: taller than the
// notice the section once showed.
inline constexpr std::array<int, 2> kStatsSectionHeights = {340, 125};
inline constexpr std::array<const char*, 5> kFuncSectionTitles = {
    "Create Assembly Instruction Preset", "Activate Assembly Instruction Preset", "Client Filters",
    "Server Extention Scripts", "Script Debuger"};
inline constexpr std::array<int, 5> kFuncSectionHeights = {155, 125, 125, 155, 155};

class SectionPanelsView {
public:
    virtual ~SectionPanelsView() = default;
    // Copies tops, heights, toggle pictures, the container's height and the
    // scroll bar's range of one panel onto its widgets.
    virtual void showSections(SectionPanel panel, const SectionStack& stack) = 0;
    // Background of section `index`'s title bar (lblFuncBase on the
    // function page).
    virtual void setTitleColour(int index, SectionColour colour) = 0;
};

class SectionPanels {
public:
    SectionPanels();

    // A page attaches itself with the geometry of its panel: the first
    // section's top in the scroll container and the visible page height.
    void attach(SectionPanel panel, SectionPanelsView* view, int firstTop, int pageHeight);
    // ClearFuncHighlight, HighlightFunc, RefreshVSBFunc and RefreshVSBMain.
    void addOperations(OperationTable& table);

    // Toggle clicks: imgToggle(index) on the stats page, imgFuncTog(index)
    // on the function page.
    void imgToggle_Click(int index);
    void imgFuncTog_Click(int index);
    void RefreshVSBMain();
    void RefreshVSBFunc();
    void ClearFuncHighlight();
    // False (nothing changed) for an index with no title bar.
    bool HighlightFunc(int index);

    const SectionStack& stack(SectionPanel panel) const { return panel == SectionPanel::Stats ? m_stats : m_function; }

private:
    SectionStack& stackOf(SectionPanel panel) { return panel == SectionPanel::Stats ? m_stats : m_function; }
    SectionPanelsView* viewOf(SectionPanel panel) const
    {
        return panel == SectionPanel::Stats ? m_statsView : m_functionView;
    }
    void refresh(SectionPanel panel);

    SectionStack m_stats;
    SectionStack m_function;
    SectionPanelsView* m_statsView = nullptr;
    SectionPanelsView* m_functionView = nullptr;
};

} // namespace ravelin
