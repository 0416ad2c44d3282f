#include "FileDialogs.h"

#include <QFileDialog>

namespace FileDialogs {

namespace {

QString run(QWidget *parent, const QString &caption, const QString &folder,
            const QString &filter, QFileDialog::FileMode mode, QFileDialog::AcceptMode accept)
{
    QFileDialog dialog(parent, caption, folder, filter);
    dialog.setFileMode(mode);
    dialog.setAcceptMode(accept);
    dialog.setStyleSheet(styleSheet());
    if (dialog.exec() != QDialog::Accepted)
        return QString();
    return dialog.selectedFiles().value(0);
}

} // namespace

QString chooseFileToOpen(QWidget *parent, const QString &caption, const QString &folder,
                         const QString &filter)
{
    return run(parent, caption, folder, filter, QFileDialog::ExistingFile,
               QFileDialog::AcceptOpen);
}

QString chooseFileToSave(QWidget *parent, const QString &caption, const QString &folder,
                         const QString &filter)
{
    return run(parent, caption, folder, filter, QFileDialog::AnyFile, QFileDialog::AcceptSave);
}

const QString &styleSheet()
{
    // Dark text on light ground for every part; the window's sheet would give black on
    // black. The dialog's own sheet is nearer to its widgets, so it wins.
    static const QString sheet = QStringLiteral(
        "QFileDialog, QFileDialog QWidget { background-color: #efefef; color: #000000; }"
        "QFileDialog QAbstractItemView, QFileDialog QLineEdit, QFileDialog QComboBox {"
        " background-color: #ffffff; color: #000000;"
        " selection-background-color: #3874d8; selection-color: #ffffff; }"
        "QFileDialog QHeaderView::section { background-color: #e0e0e0; color: #000000;"
        " border: none; border-right: 1px solid #b8b8b8; padding: 2px 4px; }"
        "QFileDialog QPushButton { background-color: #e0e0e0; color: #000000;"
        " border: 1px solid #8c8c8c; border-radius: 3px; padding: 4px 14px; }"
        "QFileDialog QPushButton:hover, QFileDialog QToolButton:hover {"
        " background-color: #d4e4f7; }"
        "QFileDialog QPushButton:pressed, QFileDialog QToolButton:pressed {"
        " background-color: #bcd4f2; }"
        "QFileDialog QPushButton:disabled { color: #8c8c8c; }"
        "QFileDialog QMenu::item:selected { background-color: #3874d8; color: #ffffff; }");
    return sheet;
}

} // namespace FileDialogs
