#pragma once
#include "app/ProjectDetails.h"

#include <QDialog>
#include <QVector>

class QLabel;
class QTreeWidget;

namespace tabrix {

/// The Details window: the take folder, then each section's heading and its table, every
/// column as wide as its widest cell, or the section's empty text. Resizable; it opens wide
/// enough for its tables where the screen allows, and scrolled to the section asked for.
class DetailsDialogView : public QDialog {
    Q_OBJECT
public:
    explicit DetailsDialogView(const DetailsContent& content, QWidget* parent = nullptr);

    /// Each section's table; null for a section without rows.
    const QVector<QTreeWidget*>& tables() const noexcept { return sectionTables; }
    const QVector<QLabel*>& headings() const noexcept { return sectionHeadings; }

private:
    QVector<QTreeWidget*> sectionTables;
    QVector<QLabel*> sectionHeadings;
};

} // namespace tabrix
