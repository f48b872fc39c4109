// Writes the application icon as PNG files in the hicolor theme layout, drawn by the same code
// as the window icon, for installing with the desktop entry:
//   tabrix-render-icons OUTPUT_FOLDER SIZE...
// writes OUTPUT_FOLDER/hicolor/<SIZE>x<SIZE>/apps/tabrix-conform.png for each size in pixels.
#include "AppIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <QString>
#include <QtGlobal>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: tabrix-render-icons OUTPUT_FOLDER SIZE...\n");
        return 2;
    }
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen"); // runs during the build, without a display
    QGuiApplication app(argc, argv);
    const QString root = QString::fromLocal8Bit(argv[1]) + "/hicolor";
    for (int i = 2; i < argc; ++i) {
        const int sizePixels = QString(argv[i]).toInt();
        const QString folder = QString("%1/%2x%2/apps").arg(root).arg(sizePixels);
        const QString file = folder + "/tabrix-conform.png";
        if (sizePixels <= 0 || !QDir().mkpath(folder) ||
            !tabrix::AppIcon::render(sizePixels).save(file, "PNG")) {
            std::fprintf(stderr, "tabrix-render-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
