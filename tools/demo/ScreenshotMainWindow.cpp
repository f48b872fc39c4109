// Draws the windows with a project loaded into PNG files, for the documentation and for
// looking at them at other scales (QT_SCALE_FACTOR) and in a dark theme:
//
//   tabrix-screenshot [--dark] [--size WxH] [--from HH:MM --to HH:MM]
//                     [--details PNG] [--progress PNG] PROJECT PNG
//
// The main window shows the project at 24 bit, the plan zoomed to the stretch asked for, and
// the tooltip of the widest gap in view (or of a split take's second piece) drawn in as if the
// pointer rested there. --details draws the Details window at its takes not used; --progress
// the progress window running and, below it, cancelled.
#include "DetailsDialogView.h"
#include "MainDialogView.h"
#include "PlanStripView.h"
#include "ProgressDialogView.h"
#include "app/ConformWorker.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleFactory>
#include <QToolTip>

#include <algorithm>
#include <cstdio>
#include <optional>

namespace {

struct Options {
    bool dark = false;
    QSize size{960, 600};
    std::optional<tabrix::SamplePos> from, to; ///< seconds since midnight, until the rate is known
    QString details, progress, project, png;
};

std::optional<tabrix::SamplePos> secondsOf(const QString& clock)
{
    const QStringList parts = clock.split(':');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    tabrix::SamplePos seconds = 0;
    for (const QString& part : parts)
        seconds = seconds * 60 + part.toULongLong();
    return parts.size() == 2 ? seconds * 60 : seconds;
}

std::optional<Options> optionsOf(const QStringList& arguments)
{
    Options options;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        const bool valued = a == "--size" || a == "--from" || a == "--to" || a == "--details" ||
                            a == "--progress";
        if (valued && i + 1 >= arguments.size())
            return std::nullopt;
        if (a == "--dark")
            options.dark = true;
        else if (a == "--size")
            options.size = QSize(arguments[i + 1].section('x', 0, 0).toInt(),
                                 arguments[i + 1].section('x', 1, 1).toInt());
        else if (a == "--from")
            options.from = secondsOf(arguments[i + 1]);
        else if (a == "--to")
            options.to = secondsOf(arguments[i + 1]);
        else if (a == "--details")
            options.details = arguments[i + 1];
        else if (a == "--progress")
            options.progress = arguments[i + 1];
        else if (options.project.isEmpty())
            options.project = a;
        else if (options.png.isEmpty())
            options.png = a;
        else
            return std::nullopt;
        i += valued ? 1 : 0;
    }
    if (options.png.isEmpty() || !options.size.isValid())
        return std::nullopt;
    return options;
}

void useDarkTheme()
{
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QPalette dark;
    dark.setColor(QPalette::Window, QColor(0x2b, 0x2b, 0x2b));
    dark.setColor(QPalette::WindowText, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Base, QColor(0x1e, 0x1e, 0x1e));
    dark.setColor(QPalette::AlternateBase, QColor(0x33, 0x33, 0x33));
    dark.setColor(QPalette::Text, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::Button, QColor(0x3a, 0x3a, 0x3a));
    dark.setColor(QPalette::ButtonText, QColor(0xe6, 0xe6, 0xe6));
    dark.setColor(QPalette::ToolTipBase, QColor(0x44, 0x44, 0x44));
    dark.setColor(QPalette::ToolTipText, QColor(0xf0, 0xf0, 0xf0));
    dark.setColor(QPalette::Highlight, QColor(0x3d, 0x7e, 0xc6));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Mid, QColor(0x55, 0x55, 0x55));
    dark.setColor(QPalette::PlaceholderText, QColor(0x99, 0x99, 0x99));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0x80, 0x80, 0x80));
    QApplication::setPalette(dark);
}

// Where the pointer rests in the picture: the widest gap in view, or else the second piece of
// a take the plan shows twice. Lane pixels; none when neither is in view.
std::optional<double> pointerX(const tabrix::PlanStrip& strip)
{
    std::optional<double> x;
    double widest = 20.0;
    for (const tabrix::PlanGapShape& gap : strip.gapShapes())
        if (gap.right - gap.left > widest && gap.left > 0 && gap.right < strip.laneWidth()) {
            widest = gap.right - gap.left;
            x = (gap.left + gap.right) / 2.0;
        }
    if (x)
        return x;
    const auto& blocks = strip.plan().segments();
    for (std::size_t i = 1; i < blocks.size(); ++i)
        for (std::size_t j = 0; j + 1 < i; ++j)
            if (blocks[i].takeName == blocks[j].takeName)
                return strip.xOf(double(blocks[i].start + blocks[i].end) / 2.0);
    return std::nullopt;
}

// Draws the visible tooltip (a window of its own) into `shot`, above the strip and clear of the
// take count.
void drawTooltip(QPixmap& shot, const tabrix::MainDialogView& window,
                 const tabrix::PlanStripView& strip, double x)
{
    const int countLeft = window.takesLine()->mapTo(&window, QPoint(0, 0)).x();
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible() || !widget->inherits("QTipLabel"))
            continue;
        const QPoint pointer = strip.mapTo(&window, QPoint(int(x), 0));
        const int left = std::clamp(pointer.x() - widget->width() / 2, 8,
                                    std::max(8, countLeft - 12 - widget->width()));
        const QPoint at(left, strip.mapTo(&window, QPoint(0, 0)).y() - widget->height() - 4);
        QPainter painter(&shot);
        painter.drawPixmap(at, widget->grab());
    }
}

// A conform that never runs: the progress window is drawn at the states it is put in.
struct PictureWorker : tabrix::ConformWorker {
    void start(tabrix::ConformProject&, std::atomic<double>& percent) override
    {
        percent.store(42.0);
    }
    bool finished() const noexcept override { return done; }
    bool result() const noexcept override { return true; }
    void join() override {}
    bool done = false;
};

QPixmap progressPictures(tabrix::ConformProject& project, const std::string& folder)
{
    PictureWorker worker;
    const tabrix::TimeFormat times(project.sampleRate());
    tabrix::ProgressDialogView view(
        project, worker,
        {{folder + "/Day 17 Main Unit L.wav", folder + "/Day 17 Main Unit R.wav"},
         project.timeline() ? project.timeline()->last()->end - project.timeline()->first()->start
                            : 0,
         times});
    view.open();
    view.tick();
    QApplication::processEvents();
    const QPixmap running = view.grab();
    view.reject();
    worker.done = true;
    view.tick();
    QApplication::processEvents();
    const QPixmap ended = view.grab();
    view.button()->click();
    QPixmap both(std::max(running.width(), ended.width()),
                 running.height() + ended.height() + int(8 * running.devicePixelRatio()));
    both.setDevicePixelRatio(running.devicePixelRatio());
    both.fill(Qt::transparent);
    QPainter painter(&both);
    painter.drawPixmap(0, 0, running);
    painter.drawPixmap(0, int(running.height() / running.devicePixelRatio()) + 8, ended);
    return both;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const std::optional<Options> options = optionsOf(QApplication::arguments());
    if (!options) {
        std::fprintf(stderr, "usage: tabrix-screenshot [--dark] [--size WxH] [--from HH:MM "
                             "--to HH:MM] [--details PNG] [--progress PNG] <project folder> "
                             "<png file>\n");
        return 2;
    }
    if (options->dark)
        useDarkTheme();
    const QFileInfo folder(options->project);
    tabrix::MainDialogView window;
    window.resize(options->size);
    window.QDialog::show();
    window.logic().openProject(QDir::toNativeSeparators(folder.absoluteFilePath()).toStdString(),
                               folder.fileName().toStdString());
    window.widthButton(1)->click();
    QApplication::processEvents();

    tabrix::PlanStripView& strip = *window.planStrip();
    const std::uint32_t rate = strip.plan().sampleRate();
    if (options->from && options->to)
        strip.logic().showStretch(*options->from * rate, *options->to * rate);
    emit strip.viewChanged();
    QApplication::processEvents();
    QPixmap shot = window.grab();
    if (const std::optional<double> x = pointerX(strip.logic())) {
        const double widgetX = strip.laneRect().left() + *x;
        QToolTip::showText(strip.mapToGlobal(QPoint(int(widgetX), int(strip.laneRect().center().y()))),
                           strip.tooltipAt(widgetX), &strip);
        QApplication::processEvents();
        drawTooltip(shot, window, strip, widgetX);
    }
    if (!shot.save(options->png, "PNG")) {
        std::fprintf(stderr, "tabrix-screenshot: cannot write %s\n", qPrintable(options->png));
        return 1;
    }
    if (!options->details.isEmpty()) {
        tabrix::DetailsDialogView details(tabrix::ProjectDetails::of(
            window.logic().project(), strip.plan(), tabrix::ProjectDetails::unusedSection));
        details.show();
        QApplication::processEvents();
        if (!details.grab().save(options->details, "PNG"))
            return 1;
    }
    if (!options->progress.isEmpty() &&
        !progressPictures(window.logic().project(), folder.absoluteFilePath().toStdString())
             .save(options->progress, "PNG"))
        return 1;
    return 0;
}
