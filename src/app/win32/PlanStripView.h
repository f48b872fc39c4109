#pragma once
#include "WindowBase.h"
#include "WindowDpi.h"
#include "frontend/ConformPlan.h"

#include <string>
#include <vector>

namespace tabrix::win32 {

/// The conform plan as a strip across the main window, painted with GDI: one block per segment
/// in its recording's colour, sloped ends where a fade is, empty gaps, a clock-time ruler below,
/// and a tooltip naming the take under the pointer. It only paints what ConformPlan decided.
class PlanStripView : public WindowBase {
public:
    /// Creates the strip as child `id` of `parent`.
    PlanStripView(HWND parent, int id);
    ~PlanStripView() override;

    void setPlan(const ConformPlan& plan);
    /// What the strip says while the plan is empty (UTF-8).
    void setPlaceholder(const std::string& text);
    /// The font and DPI to draw with; the font stays the caller's.
    void setFont(HFONT font, WindowDpi dpi);
    /// The height the strip needs for its lane and ruler, in pixels.
    int preferredHeight() const;

    const ConformPlan& plan() const noexcept { return shownPlan; }
    /// The blocks as last painted, in client coordinates, one per segment.
    const std::vector<RECT>& paintedBlocks() const noexcept { return blocks; }
    /// The segment drawn at `x` (client coordinates); -1 in a gap or outside the plan.
    int segmentAtX(int x) const;
    /// Paints the strip into `dc` at the client size; what WM_PAINT draws, off screen first.
    void paint(HDC dc);

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    RECT laneRect() const;
    int textWidth(const std::wstring& text) const;
    void paintBlock(HDC dc, const PlanSegment& segment, const RECT& rect) const;
    void paintRuler(HDC dc, const RECT& lane) const;
    void onMouseMove(int x);
    LRESULT onToolTipText(NMHDR* header);

    ConformPlan shownPlan;
    std::wstring placeholder;
    std::vector<RECT> blocks;
    HFONT font = nullptr;
    WindowDpi dpi;
    HWND toolTip = nullptr;
    int hovered = -1;
    std::wstring tipText; ///< kept alive while the tooltip shows it
};

} // namespace tabrix::win32
