#pragma once
#include <QIcon>

namespace tabrix {

/// The application's icon, drawn at start-up: a rounded tile with a waveform that fades out
/// and a second one fading in across a splice.
class AppIcon {
public:
    /// The icon at 16, 24, 32, 48, 64, 128 and 256 pixels.
    static QIcon create();
    /// One square rendering, `sizePixels` wide.
    static QPixmap render(int sizePixels);
};

} // namespace tabrix
