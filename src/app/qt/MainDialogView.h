#pragma once
#include "app/MainDialog.h"
#include "QtDialogServices.h"

#include <QDialog>

#include <array>
#include <memory>

class QButtonGroup;
class QLabel;
class QPushButton;
class QRadioButton;
class QVBoxLayout;

namespace tabrix {

class PlanStripView;

/// The main window, drawn with Qt Widgets: a humble view over MainDialog. Its controls only
/// forward clicks and show the fields they are given.
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
    QLabel* takesLine() const noexcept { return takesLabel; }
    QLabel* unusedLine() const noexcept { return unusedLabel; }
    QPushButton* detailsButton() const noexcept { return skippedDetailsButton; }
    PlanStripView* planStrip() const noexcept { return strip; }
    /// Width buttons by SampleWidth index (0..1), channel buttons by ChannelMode index (0..4).
    QRadioButton* widthButton(int index) const { return widthButtons.at(index); }
    QRadioButton* channelButton(int index) const { return channelButtons.at(index); }

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void buildControls();
    void buildPlanRows(QVBoxLayout* layout);
    void setTabOrder();
    QString elidedPath(const QString& path) const;

    QtDialogServices ownServices;
    std::unique_ptr<MainDialog> dialogLogic;
    QPushButton* chooseProjectButton = nullptr;
    QPushButton* conformProjectButton = nullptr;
    QLabel* pathLabel = nullptr;
    QLabel* summaryLabel = nullptr;
    QLabel* takesLabel = nullptr;
    QLabel* unusedLabel = nullptr;
    QPushButton* skippedDetailsButton = nullptr;
    PlanStripView* strip = nullptr;
    std::array<QRadioButton*, 2> widthButtons{};
    std::array<QRadioButton*, 5> channelButtons{};
    QButtonGroup* widthGroup = nullptr;
    QButtonGroup* channelGroup = nullptr;
    QString fullPath;
};

} // namespace tabrix
