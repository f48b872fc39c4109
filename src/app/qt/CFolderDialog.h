#pragma once
#include <QString>

class QWidget;

namespace tabrix {

/// Modal folder picker in the shape of the application's other dialogs: built with a title,
/// an initial folder, an owner and options, run once, then read.
class CFolderDialog {
public:
    /// Only real file-system folders can be chosen.
    static constexpr unsigned returnOnlyFsDirs = 1;

    /// `initialPath` empty: nothing preselected. `owner` may be null.
    CFolderDialog(const QString& title, const QString& initialPath, QWidget* owner,
                  unsigned flags);

    /// 1: a folder was chosen (selectedPath and displayName are set); -1: the choice has no
    /// usable file-system path; 2: cancelled.
    int doModal();
    /// The folder the chooser shows first when nothing is preselected; empty: the toolkit's.
    void setStartFolder(const QString& folder) { startFolder = folder; }

    /// Full path in the platform's separators; empty unless doModal returned 1.
    const QString& selectedPath() const noexcept { return chosenPath; }
    /// The chosen folder's own name, not a path.
    const QString& displayName() const noexcept { return chosenName; }

private:
    QString title;
    QString initialPath;
    QString startFolder;
    QWidget* owner;
    unsigned flags;
    QString chosenPath;
    QString chosenName;
};

} // namespace tabrix
