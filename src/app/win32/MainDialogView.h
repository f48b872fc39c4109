#pragma once
#include "PlanStripView.h"
#include "Win32DialogServices.h"
#include "WindowBase.h"
#include "MessageFonts.h"
#include "WindowDpi.h"
#include "app/MainDialog.h"

#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

namespace tabrix::win32 {

/// The main window, drawn with the Windows controls: a humble view over MainDialog. Its
/// controls only forward clicks and keys and show the fields they are given. It can be resized
/// (the plan strip grows with it) and opens at the size it had when last closed.
class MainDialogView : public WindowBase, public MainDialogControls {
public:
    /// With no `services` the real dialogs are used; given ones must outlive the window.
    explicit MainDialogView(DialogServices* services = nullptr);
    ~MainDialogView() override;

    /// True when the window and its controls exist; the system may refuse them.
    bool created() const noexcept { return handle() != nullptr && dialogLogic != nullptr; }

    void show(const MainDialogFields& fields) override;
    MainDialogFields read() const override;

    MainDialog& logic() noexcept { return *dialogLogic; }
    HWND chooseButton() const noexcept { return chooseProjectButton; }
    HWND conformButton() const noexcept { return conformProjectButton; }
    HWND pathLine() const noexcept { return pathLabel; }
    HWND summaryLine() const noexcept { return summaryLabel; }
    HWND tracksLine() const noexcept { return tracksLabel; }
    HWND takesLine() const noexcept { return takesLabel; }
    HWND unusedLine() const noexcept { return unusedLabel; }
    HWND detailsButton() const noexcept { return skippedDetailsButton; }
    HWND showUnusedButton() const noexcept { return showAllButton; }
    HWND zoomInButton() const noexcept { return zoomIn; }
    HWND zoomOutButton() const noexcept { return zoomOut; }
    HWND fitAllButton() const noexcept { return fitAll; }
    HWND planScrollBar() const noexcept { return planScroll; }
    PlanStripView& planStrip() noexcept { return *strip; }
    /// Width buttons by SampleWidth index, channel buttons by ChannelMode index.
    HWND widthButton(std::size_t index) const { return widthButtons.at(index); }
    HWND channelButton(std::size_t index) const { return channelButtons.at(index); }
    std::size_t widthButtonCount() const noexcept { return widthButtons.size(); }
    std::size_t channelButtonCount() const noexcept { return channelButtons.size(); }
    /// The window's size in device-independent pixels, as the logic remembers it.
    WindowSize sizeInDips() const;

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void buildControls();
    HWND addControl(const wchar_t* className, const wchar_t* text, DWORD style, int id = 0);
    void addToolTip(HWND control, const std::string& text);
    void setFonts();
    /// Places every control in a client area of the given size (none moves when `place` is
    /// false); returns the client size the content needs there, at least.
    SIZE layOut(int clientWidth, int clientHeight, bool place);
    int wrappedHeight(HWND label, int width) const;
    SIZE minimumClientSize();
    void restoreSize();
    void showPlanView();
    void onCommand(int id, int code);
    void onEnter();
    void onScroll(int request);
    void onDropFiles(HDROP drop);
    LRESULT onControlColour(HDC dc, HWND control);
    FocusedControl focusedControl() const;

    Win32DialogServices ownServices;
    std::unique_ptr<MainDialog> dialogLogic;
    std::unique_ptr<PlanStripView> strip;
    HWND chooseProjectButton = nullptr;
    HWND conformProjectButton = nullptr;
    HWND pathLabel = nullptr;
    HWND optionsBox = nullptr;
    HWND widthLabel = nullptr;
    HWND channelsLabel = nullptr;
    HWND summaryLabel = nullptr;
    HWND tracksLabel = nullptr;
    HWND planLabel = nullptr;
    HWND zoomOut = nullptr;
    HWND zoomIn = nullptr;
    HWND fitAll = nullptr;
    HWND takesLabel = nullptr;
    HWND skippedDetailsButton = nullptr;
    HWND planScroll = nullptr;
    HWND unusedLabel = nullptr;
    HWND showAllButton = nullptr;
    HWND toolTip = nullptr;
    std::vector<HWND> widthButtons;   ///< one per widthChoiceTexts()
    std::vector<HWND> channelButtons; ///< one per channelChoiceTexts()
    WindowDpi dpi;
    MessageFonts fonts;
    std::string fullPath;
    bool refused = false;
    bool tracksShown = false;
    bool unusedShown = false;
    std::uint32_t planRevision = 0;
};

} // namespace tabrix::win32
