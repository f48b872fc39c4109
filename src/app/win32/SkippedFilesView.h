#pragma once
#include "WindowBase.h"
#include "WindowDpi.h"
#include "app/DialogServices.h"

#include <vector>

namespace tabrix::win32 {

/// The "Details..." window: every skipped file with its reason, in a list with a column each,
/// and Close. Modal over its owner.
class SkippedFilesView : public WindowBase {
public:
    explicit SkippedFilesView(const std::vector<SkippedRow>& rows);
    ~SkippedFilesView() override;

    /// Shows the window over `owner` (may be null); false when it could not be created.
    bool open(HWND owner);
    /// Opens the window with `owner` disabled and handles messages until it closes.
    void runModal(HWND owner);
    bool isOpen() const noexcept { return handle() != nullptr; }
    HWND list() const noexcept { return listView; }
    HWND closeButton() const noexcept { return button; }

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void layOut();

    std::vector<SkippedRow> rows;
    HWND owner = nullptr;
    HWND intro = nullptr;
    HWND listView = nullptr;
    HWND button = nullptr;
    HFONT font = nullptr;
};

} // namespace tabrix::win32
