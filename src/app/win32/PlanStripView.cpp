#include "PlanStripView.h"

#include "WideText.h"
#include "app/WindowColours.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <cmath>

namespace tabrix::win32 {

namespace {

constexpr int tickHeight = 4; ///< at 100 %
constexpr double wheelNotch = 120.0;

COLORREF colourOf(const PlanColour& colour)
{
    return RGB(colour.red, colour.green, colour.blue);
}

COLORREF darker(COLORREF colour)
{
    return RGB(GetRValue(colour) * 2 / 3, GetGValue(colour) * 2 / 3, GetBValue(colour) * 2 / 3);
}

// The take's name as a block shows it: without ".wav".
std::wstring blockName(const std::string& takeName)
{
    std::wstring name = wideFromUtf8(takeName);
    if (name.size() > 4 && lstrcmpiW(name.c_str() + name.size() - 4, L".wav") == 0)
        name.resize(name.size() - 4);
    return name;
}

std::wstring withCarriageReturns(const std::string& text)
{
    std::wstring wide;
    for (wchar_t c : wideFromUtf8(text)) {
        if (c == L'\n')
            wide += L'\r';
        wide += c;
    }
    return wide;
}

} // namespace

PlanStripView::PlanStripView(HWND parent, int id)
{
    createWindow(L"TabrixPlanStrip", nullptr, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0,
                 RECT{0, 0, 10, 10}, parent, id);
    toolTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, parent,
                              nullptr, GetModuleHandleW(nullptr), nullptr);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = handle();
    tool.uId = reinterpret_cast<UINT_PTR>(handle());
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

PlanStripView::~PlanStripView()
{
    if (toolTip != nullptr)
        DestroyWindow(toolTip);
}

void PlanStripView::setPlan(const ConformPlan& plan)
{
    strip.setPlan(plan);
    const RECT lane = laneRect();
    strip.setLaneWidth(double(lane.right - lane.left));
    hovered = {};
    changed();
}

void PlanStripView::setPlaceholder(const std::string& text)
{
    const std::wstring wide = wideFromUtf8(text);
    if (wide == placeholder)
        return;
    placeholder = wide;
    InvalidateRect(handle(), nullptr, FALSE);
}

void PlanStripView::setFont(HFONT newFont, WindowDpi newDpi)
{
    font = newFont;
    dpi = newDpi;
    // Several lines at most this wide: the tooltip breaks at "\n".
    SendMessageW(toolTip, TTM_SETMAXTIPWIDTH, 0, dpi.scale(600));
    InvalidateRect(handle(), nullptr, FALSE);
}

int PlanStripView::textWidth(const std::wstring& text) const
{
    return win32::textWidth(font, text);
}

int PlanStripView::rulerHeight() const
{
    return dpi.scale(tickHeight) + lineHeightOf(font) + 2;
}

int PlanStripView::minimumHeight() const
{
    return 2 * lineHeightOf(font) + rulerHeight() + 2; // a line of a name, and the ruler
}

int PlanStripView::preferredHeight() const
{
    return 4 * lineHeightOf(font) + rulerHeight() + 2;
}

int PlanStripView::maximumHeight() const
{
    return 7 * lineHeightOf(font) + rulerHeight() + 2; // taller blocks show no more
}

RECT PlanStripView::laneRect() const
{
    RECT client{};
    GetClientRect(handle(), &client);
    // Room on both sides for half a ruler label, so the first and last rarely need moving in.
    const int side = textWidth(L"00:00:00") / 2 + 2;
    return {side, 1, std::max(side + 1, int(client.right) - side),
            std::max(2, int(client.bottom) - rulerHeight() - 2)};
}

void PlanStripView::changed()
{
    InvalidateRect(handle(), nullptr, FALSE);
    if (viewChanged)
        viewChanged();
}

void PlanStripView::press(PlanKey key)
{
    if (strip.onKey(key))
        changed();
}

void PlanStripView::scrollTo(int value)
{
    strip.scrollToValue(value);
    InvalidateRect(handle(), nullptr, FALSE);
}

std::string PlanStripView::tooltipAt(int x) const
{
    return strip.hitAt(double(x - laneRect().left)).tooltip;
}

void PlanStripView::paint(HDC dc) const
{
    RECT client{};
    GetClientRect(handle(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ oldFont = SelectObject(dc, font);
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    SetBkMode(dc, TRANSPARENT);

    // The lane's own background is what a gap looks like: nothing plays there.
    const RECT lane = laneRect();
    SetDCPenColor(dc, GetSysColor(COLOR_BTNSHADOW));
    SetDCBrushColor(dc, GetSysColor(COLOR_WINDOW));
    Rectangle(dc, lane.left - 1, lane.top - 1, lane.right + 1, lane.bottom + 1);
    if (GetFocus() == handle()) {
        RECT focus{lane.left - 3, lane.top - 1, lane.right + 3, lane.bottom + 3};
        DrawFocusRect(dc, &focus);
    }
    if (plan().empty()) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        RECT text{lane.left + 8, lane.top, lane.right - 8, lane.bottom};
        RECT measured = text;
        DrawTextW(dc, placeholder.c_str(), int(placeholder.size()), &measured,
                  DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        const int height = measured.bottom - measured.top;
        text.top += std::max(0, (int(text.bottom - text.top) - height) / 2);
        DrawTextW(dc, placeholder.c_str(), int(placeholder.size()), &text,
                  DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    } else {
        const int saved = SaveDC(dc);
        IntersectClipRect(dc, lane.left, lane.top, lane.right, lane.bottom);
        paintBlocks(dc, lane);
        paintGaps(dc, lane);
        RestoreDC(dc, saved);
        paintRuler(dc, lane);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldFont);
}

void PlanStripView::paintBlocks(HDC dc, const RECT& lane) const
{
    const int lineHeight = lineHeightOf(font);
    for (const PlanBlockShape& shape : strip.blockShapes()) {
        const PlanSegment& segment = plan().segments()[shape.segment];
        const double left = lane.left + shape.left;
        const double right = lane.left + std::max(shape.right, shape.left + 1.0);
        const double in =
            shape.fadeIn.drawing == FadeDrawing::Slope ? shape.fadeIn.slopePixels : 0.0;
        const double out =
            shape.fadeOut.drawing == FadeDrawing::Slope ? shape.fadeOut.slopePixels : 0.0;
        // A fade long enough to see is a slope from silence at the bottom to full level.
        const auto at = [](double x) { return LONG(std::lround(x)); };
        const std::array<POINT, 4> outline{{{at(left + in), lane.top},
                                            {at(right - out), lane.top},
                                            {at(right), lane.bottom},
                                            {at(left), lane.bottom}}};
        const COLORREF fill = colourOf(segment.colour);
        SetDCPenColor(dc, right - left > 3.0 ? darker(fill) : fill);
        SetDCBrushColor(dc, fill);
        Polygon(dc, outline.data(), int(outline.size()));

        // A fade too short to draw at this zoom is only marked where it is.
        const COLORREF text = colourOf(WindowColours::textOn(segment.colour));
        SetDCPenColor(dc, text);
        const int markBottom = lane.top + (lane.bottom - lane.top) * 35 / 100;
        if (shape.fadeIn.drawing == FadeDrawing::Mark) {
            MoveToEx(dc, at(left + 1.5), lane.top, nullptr);
            LineTo(dc, at(left + 1.5), markBottom);
        }
        if (shape.fadeOut.drawing == FadeDrawing::Mark) {
            MoveToEx(dc, at(right - 1.5), lane.top, nullptr);
            LineTo(dc, at(right - 1.5), markBottom);
        }
        // A name is drawn only where it fits whole, on one line or two broken between words:
        // a clipped name says less than the tooltip does.
        if (shape.segmentCount != 1)
            continue;
        const std::wstring name = blockName(segment.takeName);
        RECT room{at(std::max(left, double(lane.left)) + std::max(in, 2.0) + 3), lane.top + 2,
                  at(std::min(right, double(lane.right)) - std::max(out, 2.0) - 3),
                  lane.bottom - 2};
        if (room.right <= room.left)
            continue;
        RECT needed = room;
        DrawTextW(dc, name.c_str(), int(name.size()), &needed,
                  DT_CENTER | DT_WORDBREAK | DT_NOPREFIX | DT_CALCRECT);
        const int height = needed.bottom - needed.top;
        if (needed.right - needed.left > room.right - room.left ||
            height > room.bottom - room.top || height > 2 * lineHeight)
            continue;
        room.top += (room.bottom - room.top - height) / 2;
        SetTextColor(dc, text);
        DrawTextW(dc, name.c_str(), int(name.size()), &room,
                  DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    }
}

void PlanStripView::paintGaps(HDC dc, const RECT& lane) const
{
    // Silence is the lane's background, hatched so even a narrow gap stands out of the blocks.
    HBRUSH hatch = CreateHatchBrush(HS_BDIAGONAL, GetSysColor(COLOR_BTNSHADOW));
    const int oldMode = SetBkMode(dc, OPAQUE);
    const COLORREF oldBack = SetBkColor(dc, GetSysColor(COLOR_WINDOW));
    for (const PlanGapShape& gap : strip.gapShapes()) {
        const RECT rect{LONG(std::lround(lane.left + gap.left)), lane.top,
                        LONG(std::lround(lane.left + gap.right)), lane.bottom};
        FillRect(dc, &rect, GetSysColorBrush(COLOR_WINDOW));
        if (rect.right - rect.left >= 4) // narrower, the background alone shows it best
            FillRect(dc, &rect, hatch);
    }
    SetBkColor(dc, oldBack);
    SetBkMode(dc, oldMode);
    DeleteObject(hatch);
}

void PlanStripView::paintRuler(HDC dc, const RECT& lane) const
{
    RECT client{};
    GetClientRect(handle(), &client);
    const double labelPixels = textWidth(L"00:00:00.00") + dpi.scale(12);
    const int top = lane.bottom + 1;
    const int lineHeight = lineHeightOf(font);
    SetDCPenColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    for (const PlanTickShape& tick : strip.rulerTicks(labelPixels)) {
        const int x = lane.left + int(std::lround(tick.x));
        MoveToEx(dc, x, top, nullptr);
        LineTo(dc, x, top + dpi.scale(tickHeight));
        const std::wstring label = wideFromUtf8(tick.label);
        const int width = textWidth(label) + 2;
        // Kept inside the strip: a mark near an edge moves its label in, never clips it.
        const int left = std::clamp(x - width / 2, 0, std::max(0, int(client.right) - width));
        RECT text{left, top + dpi.scale(tickHeight), left + width,
                  top + dpi.scale(tickHeight) + lineHeight};
        DrawTextW(dc, label.c_str(), int(label.size()), &text,
                  DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
}

void PlanStripView::onMouseMove(int x)
{
    const PlanHit hit = strip.hitAt(double(x - laneRect().left));
    if (hit.kind == hovered.kind && hit.index == hovered.index)
        return;
    hovered = hit;
    // The tip of what the pointer left goes; the next one shows after the usual pause.
    SendMessageW(toolTip, TTM_POP, 0, 0);
}

bool PlanStripView::onKey(WPARAM key)
{
    PlanKey planKey;
    switch (key) {
    case VK_ADD:
    case VK_OEM_PLUS:
        planKey = PlanKey::ZoomIn;
        break;
    case VK_SUBTRACT:
    case VK_OEM_MINUS:
        planKey = PlanKey::ZoomOut;
        break;
    case '0':
    case VK_NUMPAD0:
        planKey = PlanKey::FitAll;
        break;
    case VK_LEFT:
        planKey = PlanKey::Left;
        break;
    case VK_RIGHT:
        planKey = PlanKey::Right;
        break;
    case VK_PRIOR:
        planKey = PlanKey::PageLeft;
        break;
    case VK_NEXT:
        planKey = PlanKey::PageRight;
        break;
    case VK_HOME:
        planKey = PlanKey::Home;
        break;
    case VK_END:
        planKey = PlanKey::End;
        break;
    default:
        return false;
    }
    press(planKey);
    return true;
}

LRESULT PlanStripView::onToolTipText(NMHDR* header)
{
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    tipText = withCarriageReturns(hovered.tooltip);
    info->lpszText = tipText.data();
    return 0;
}

LRESULT PlanStripView::onMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(handle(), &ps);
        RECT client{};
        GetClientRect(handle(), &client);
        // Drawn off screen first, so the strip never flickers while it is redrawn.
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap =
            CreateCompatibleBitmap(dc, std::max(1L, client.right), std::max(1L, client.bottom));
        const HGDIOBJ old = SelectObject(memory, bitmap);
        paint(memory);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(handle(), &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // WM_PAINT covers everything
    case WM_SIZE: {
        const RECT lane = laneRect();
        strip.setLaneWidth(double(lane.right - lane.left));
        changed();
        return 0;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        InvalidateRect(handle(), nullptr, FALSE);
        return 0;
    case WM_LBUTTONDOWN:
        SetFocus(handle());
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS; // the arrows scroll the plan instead of moving the focus
    case WM_KEYDOWN:
        if (onKey(wParam))
            return 0;
        break;
    case WM_MOUSEMOVE:
        onMouseMove(GET_X_LPARAM(lParam));
        return 0;
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: {
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; // screen coordinates
        ScreenToClient(handle(), &point);
        const double notches = GET_WHEEL_DELTA_WPARAM(wParam) / wheelNotch;
        const bool zoom = message == WM_MOUSEWHEEL && (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL);
        // A tilt or sideways swipe scrolls; up and down scroll, or zoom with Ctrl.
        if (strip.onWheel(notches, zoom, double(point.x - laneRect().left))) {
            changed();
            return 0;
        }
        break;
    }
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (header->hwndFrom == toolTip && header->code == TTN_GETDISPINFOW)
            return onToolTipText(header);
        break;
    }
    default:
        break;
    }
    return WindowBase::onMessage(message, wParam, lParam);
}

} // namespace tabrix::win32
