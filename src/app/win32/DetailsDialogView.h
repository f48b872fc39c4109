#pragma once
#include "WindowBase.h"
#include "MessageFonts.h"
#include "WindowDpi.h"
#include "app/ProjectDetails.h"

#include <vector>

namespace tabrix::win32 {

/// The Details window: the folder the takes were read from, then each section of the content
/// (the skipped files, the takes not used) as a titled list with every cell in full, and Close.
/// Resizable; the sections share its height. Modal over its owner.
class DetailsDialogView : public WindowBase {
public:
    explicit DetailsDialogView(const DetailsContent& content);
    ~DetailsDialogView() override;

    /// Shows the window over `owner` (may be null); false when it could not be created.
    bool open(HWND owner);
    /// Opens the window with `owner` disabled and handles messages until it closes.
    void runModal(HWND owner);
    bool isOpen() const noexcept { return handle() != nullptr; }
    /// The list of section `index`; null for a section without rows.
    HWND list(std::size_t index) const { return sections.at(index).list; }
    HWND closeButton() const noexcept { return button; }

protected:
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    struct SectionControls {
        HWND heading = nullptr;
        HWND list = nullptr;  ///< the rows; null when there are none
        HWND empty = nullptr; ///< what is said instead of an empty list
    };
    void createControls();
    void setFonts();
    void sizeColumns();
    SIZE preferredSize() const;
    void layOut();

    DetailsContent content;
    std::vector<SectionControls> sections;
    HWND owner = nullptr;
    HWND intro = nullptr;
    HWND folder = nullptr;
    HWND button = nullptr;
    WindowDpi dpi;
    MessageFonts fonts;
};

} // namespace tabrix::win32
