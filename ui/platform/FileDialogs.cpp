#include "ui/platform/FileDialogs.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QTimer>
#include <QTreeView>

namespace platform {

namespace {

// Each column as wide as its widest entry (the name column takes what is left over).
void fitColumns(QFileDialog& dialog) {
    for (QTreeView* view : dialog.findChildren<QTreeView*>()) {
        QHeaderView* header = view->header();
        header->setStretchLastSection(false);
        for (int c = 1; c < header->count(); ++c)
            header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
        header->setSectionResizeMode(0, QHeaderView::Stretch);
    }
}

QString run(QFileDialog& dialog) {
    arrangeFileDialog(dialog);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().front()
               : QString();
}

} // namespace

void arrangeFileDialog(QFileDialog& dialog) {
    dialog.setViewMode(QFileDialog::Detail);
    dialog.resize(dialog.size().expandedTo(QSize(900, 560)));
    fitColumns(dialog);
    // The directory's entries arrive later: the columns fit again once they are there.
    QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog,
                     [&dialog] { QTimer::singleShot(0, &dialog, [&dialog] { fitColumns(dialog); }); });
}

QString askWorkbookToOpen(QWidget* parent) {
    QFileDialog dialog(parent, QStringLiteral("Open a workbook"), QString(),
                       QStringLiteral("Workbooks (*.xlsx *.xlsm *.csv)"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    return run(dialog);
}

QString askWorkbookToSave(QWidget* parent, const QString& proposed) {
    QFileDialog dialog(parent, QStringLiteral("Save As"), proposed,
                       QStringLiteral("Workbook (*.xlsx)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.selectFile(proposed);
    return run(dialog);
}

} // namespace platform
