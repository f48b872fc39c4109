#include "PlanStripView.h"

#include "WideText.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

namespace tabrix::win32 {

namespace {

constexpr int laneHeight = 30; ///< at 100 %
constexpr int tickHeight = 4;  ///< at 100 %
constexpr int fadeSlope = 6;   ///< width of a fade's slope at 100 %; a real fade is far narrower

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

} // namespace

PlanStripView::PlanStripView(HWND parent, int id)
{
    createWindow(L"TabrixPlanStrip", nullptr, L"", WS_CHILD | WS_VISIBLE, 0, RECT{0, 0, 10, 10},
                 parent, id);
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
    shownPlan = plan;
    blocks.clear();
    hovered = -1;
    InvalidateRect(handle(), nullptr, FALSE);
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

int PlanStripView::preferredHeight() const
{
    const int rulerHeight = dpi.scale(tickHeight) + lineHeightOf(font) + 2;
    return dpi.scale(laneHeight) + 2 + rulerHeight;
}

RECT PlanStripView::laneRect() const
{
    RECT client{};
    GetClientRect(handle(), &client);
    // Room on both sides for half a ruler label, so the first and last never clip.
    const int side = textWidth(L"00:00:00") / 2 + 2;
    return {side, 1, std::max(side + 1, int(client.right) - side), 1 + dpi.scale(laneHeight)};
}

int PlanStripView::segmentAtX(int x) const
{
    for (std::size_t i = 0; i < blocks.size(); ++i)
        if (x >= blocks[i].left && x < blocks[i].right)
            return int(i);
    return -1;
}

void PlanStripView::paint(HDC dc)
{
    RECT client{};
    GetClientRect(handle(), &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    const HGDIOBJ oldFont = SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);

    // The lane's own background is what a gap looks like: nothing plays there.
    const RECT lane = laneRect();
    const HGDIOBJ oldPen = SelectObject(dc, GetStockObject(DC_PEN));
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(DC_BRUSH));
    SetDCPenColor(dc, GetSysColor(COLOR_BTNSHADOW));
    SetDCBrushColor(dc, GetSysColor(COLOR_WINDOW));
    Rectangle(dc, lane.left - 1, lane.top - 1, lane.right + 1, lane.bottom + 1);

    blocks.clear();
    if (shownPlan.empty()) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        RECT text = lane;
        DrawTextW(dc, placeholder.c_str(), int(placeholder.size()), &text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
    } else {
        const double width = double(lane.right - lane.left);
        for (const PlanSegment& segment : shownPlan.segments()) {
            const int left = lane.left + int(shownPlan.fractionOf(segment.start) * width + 0.5);
            const int right = lane.left + int(shownPlan.fractionOf(segment.end) * width + 0.5);
            const RECT rect{left, lane.top, std::max(left + 1, right), lane.bottom};
            blocks.push_back(rect);
            paintBlock(dc, segment, rect);
        }
        paintRuler(dc, lane);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    SelectObject(dc, oldFont);
}

void PlanStripView::paintBlock(HDC dc, const PlanSegment& segment, const RECT& rect) const
{
    // Sloped ends mark the fades at splices; pieces of one recording meet square.
    const int slope = std::min(dpi.scale(fadeSlope), int(rect.right - rect.left) / 3);
    const std::array<POINT, 4> shape{{
        {rect.left + (segment.fadeIn ? slope : 0), rect.top},
        {rect.right - (segment.fadeOut ? slope : 0), rect.top},
        {rect.right, rect.bottom},
        {rect.left, rect.bottom},
    }};
    const COLORREF fill = colourOf(segment.colour);
    SetDCPenColor(dc, darker(fill));
    SetDCBrushColor(dc, fill);
    Polygon(dc, shape.data(), int(shape.size()));

    // A name is drawn only where it fits whole; a clipped name says less than the tooltip does.
    const std::wstring name = blockName(segment.takeName);
    RECT text{rect.left + slope + 3, rect.top, rect.right - slope - 3, rect.bottom};
    if (textWidth(name) <= text.right - text.left) {
        SetTextColor(dc, RGB(255, 255, 255));
        DrawTextW(dc, name.c_str(), int(name.size()), &text,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

void PlanStripView::paintRuler(HDC dc, const RECT& lane) const
{
    const int labelWidth = textWidth(L"00:00:00.00") + dpi.scale(12);
    const int laneWidth = lane.right - lane.left;
    const auto maxTicks = static_cast<std::size_t>(std::max(1, laneWidth / labelWidth));
    const int top = lane.bottom + 1;
    const int lineHeight = lineHeightOf(font);
    SetDCPenColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    for (const RulerTick& tick : shownPlan.rulerTicks(maxTicks)) {
        const int x = lane.left + int(shownPlan.fractionOf(tick.position) * laneWidth + 0.5);
        MoveToEx(dc, x, top, nullptr);
        LineTo(dc, x, top + dpi.scale(tickHeight));
        const std::wstring label = wideFromUtf8(tick.label);
        const int width = textWidth(label);
        RECT text{x - width / 2 - 1, top + dpi.scale(tickHeight), x + width / 2 + 2,
                  top + dpi.scale(tickHeight) + lineHeight};
        DrawTextW(dc, label.c_str(), int(label.size()), &text,
                  DT_CENTER | DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
}

void PlanStripView::onMouseMove(int x)
{
    const int index = segmentAtX(x);
    if (index == hovered)
        return;
    hovered = index;
    // The tip of the block left behind goes; the next one shows after the usual pause.
    SendMessageW(toolTip, TTM_POP, 0, 0);
}

LRESULT PlanStripView::onToolTipText(NMHDR* header)
{
    auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
    tipText.clear();
    if (hovered >= 0 && std::size_t(hovered) < shownPlan.segments().size())
        for (wchar_t c : wideFromUtf8(shownPlan.describe(std::size_t(hovered)))) {
            if (c == L'\n')
                tipText += L'\r';
            tipText += c;
        }
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
    case WM_SIZE:
        InvalidateRect(handle(), nullptr, FALSE);
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove(static_cast<short>(LOWORD(lParam)));
        return 0;
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
