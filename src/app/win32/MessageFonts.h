#pragma once
#include "WindowDpi.h"

#include <windows.h>

namespace tabrix::win32 {

/// A window's message font and its bold form, made anew for each DPI the window is shown at
/// and deleted with their owner (declare it before the window handle's owner goes, so the
/// controls that use the fonts are destroyed first).
class MessageFonts {
  public:
    MessageFonts() = default;
    MessageFonts(const MessageFonts&) = delete;
    MessageFonts& operator=(const MessageFonts&) = delete;
    ~MessageFonts() { release(); }

    /// Replaces both fonts with those of `dpi`.
    void renew(const WindowDpi& dpi);
    HFONT regular() const noexcept { return regularFont; }
    HFONT bold() const noexcept { return boldFont; }

  private:
    void release() noexcept;

    HFONT regularFont = nullptr;
    HFONT boldFont = nullptr;
};

} // namespace tabrix::win32
