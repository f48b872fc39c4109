#pragma once
#include "WindowBase.h"
#include "WindowDpi.h"
#include "app/PlanStrip.h"

#include <functional>
#include <string>

namespace tabrix::win32 {

/// The conform plan as a strip across the main window, painted with GDI from PlanStrip's
/// shapes: the visible blocks in their recordings' colours with their fades, hatched gaps, a
/// clock-time ruler below and a tooltip for the block or gap under the pointer. The wheel (with
/// Ctrl to zoom) and the keys +, -, 0, arrows, Page Up/Down, Home and End go to the logic.
class PlanStripView : public WindowBase {
public:
    /// Creates the strip as child `id` of `parent`.
    PlanStripView(HWND parent, int id);
    ~PlanStripView() override;

    /// Shows `plan` whole.
    void setPlan(const ConformPlan& plan);
    /// What the strip says while the plan is empty (UTF-8).
    void setPlaceholder(const std::string& text);
    /// The font and DPI to draw with; the font stays the caller's.
    void setFont(HFONT font, WindowDpi dpi);
    /// Called whenever zoom or scroll changed, so the window can follow with its scroll bar.
    void setViewChanged(std::function<void()> callback) { viewChanged = std::move(callback); }
    /// A zoom or scroll key, from the keyboard or the window's buttons.
    void press(PlanKey key);
    /// The scroll bar was moved to `value` (a PlanScrollState value).
    void scrollTo(int value);

    /// Heights in pixels: the least that shows a line of a name and the ruler, the height the
    /// strip asks for, and the most its blocks use.
    int minimumHeight() const;
    int preferredHeight() const;
    int maximumHeight() const;

    const PlanStrip& logic() const noexcept { return strip; }
    const ConformPlan& plan() const noexcept { return strip.plan(); }
    /// The lane the blocks are drawn in, in client coordinates.
    RECT laneRect() const;
    /// The tooltip for client x, as the pointer there would show it; empty over nothing.
    std::string tooltipAt(int x) const;
    /// Paints the strip into `dc` at the client size; what WM_PAINT draws, off screen first.
    void paint(HDC dc) const;

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    int rulerHeight() const;
    int textWidth(const std::wstring& text) const;
    void paintBlocks(HDC dc, const RECT& lane) const;
    void paintGaps(HDC dc, const RECT& lane) const;
    void paintRuler(HDC dc, const RECT& lane) const;
    void changed();
    void onMouseMove(int x);
    bool onKey(WPARAM key);
    LRESULT onToolTipText(NMHDR* header);

    PlanStrip strip;
    std::wstring placeholder;
    HFONT font = nullptr;
    WindowDpi dpi;
    HWND toolTip = nullptr;
    PlanHit hovered;
    std::wstring tipText; ///< kept alive while the tooltip shows it
    std::function<void()> viewChanged;
};

} // namespace tabrix::win32
