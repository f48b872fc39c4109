#pragma once
#include "app/MainDialog.h"
#include "QtDialogServices.h"

#include <QDialog>

#include <memory>
#include <vector>

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QToolButton;
class QVBoxLayout;

namespace tabrix {

class PlanStripView;

/// The main window, drawn with Qt Widgets: a humble view over MainDialog. Its controls only
/// forward clicks, keys and drops and show the fields they are given. It can be resized; the
/// plan strip takes the room.
class MainDialogView : public QDialog, public MainDialogControls {
    Q_OBJECT
public:
    /// With no `services` the real Qt dialogs are used; given ones must outlive the window.
    explicit MainDialogView(DialogServices* services = nullptr, QWidget* parent = nullptr);
    ~MainDialogView() override;

    void show(const MainDialogFields& fields) override;
    MainDialogFields read() const override;

    MainDialog& logic() noexcept { return *dialogLogic; }
    QPushButton* chooseButton() const noexcept { return chooseProjectButton; }
    QPushButton* conformButton() const noexcept { return conformProjectButton; }
    QLabel* pathLine() const noexcept { return pathLabel; }
    QLabel* summaryLine() const noexcept { return summaryLabel; }
    QLabel* tracksLine() const noexcept { return tracksLabel; }
    QLabel* takesLine() const noexcept { return takesLabel; }
    QLabel* unusedLine() const noexcept { return unusedLabel; }
    QPushButton* unusedButton() const noexcept { return showUnusedButton; }
    QPushButton* detailsButton() const noexcept { return skippedDetailsButton; }
    PlanStripView* planStrip() const noexcept { return strip; }
    QScrollBar* planScrollBar() const noexcept { return planScroll; }
    QToolButton* zoomInButton() const noexcept { return zoomIn; }
    QToolButton* zoomOutButton() const noexcept { return zoomOut; }
    QToolButton* fitAllButton() const noexcept { return fitAll; }
    /// Width buttons by SampleWidth index, channel buttons by ChannelMode index.
    QRadioButton* widthButton(int index) const { return widthButtons.at(std::size_t(index)); }
    QRadioButton* channelButton(int index) const { return channelButtons.at(std::size_t(index)); }

    /// Opens at the size the window had when it was last closed, if one was stored.
    void restoreSize();

    /// Remembers the window's size, then closes it.
    void done(int result) override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void buildOptions(QVBoxLayout* layout);
    void buildPlanRows(QVBoxLayout* layout);
    void connectControls();
    void setTabOrder();
    void showPlanView();
    void showPath();
    void keepWrappedTextsWhole();
    FocusedControl focusedControl(QObject* widget) const;

    QtDialogServices ownServices;
    std::unique_ptr<MainDialog> dialogLogic;
    QPushButton* chooseProjectButton = nullptr;
    QPushButton* conformProjectButton = nullptr;
    QLabel* pathLabel = nullptr;
    QLabel* summaryLabel = nullptr;
    QLabel* tracksLabel = nullptr;
    QLabel* takesLabel = nullptr;
    QLabel* unusedLabel = nullptr;
    QPushButton* showUnusedButton = nullptr;
    QPushButton* skippedDetailsButton = nullptr;
    PlanStripView* strip = nullptr;
    QScrollBar* planScroll = nullptr;
    QToolButton* zoomIn = nullptr;
    QToolButton* zoomOut = nullptr;
    QToolButton* fitAll = nullptr;
    std::vector<QRadioButton*> widthButtons;
    std::vector<QRadioButton*> channelButtons;
    QButtonGroup* widthGroup = nullptr;
    QButtonGroup* channelGroup = nullptr;
    QString fullPath;
    std::uint32_t planRevision = 0;
};

} // namespace tabrix
