#pragma once

#include <QString>

class QWidget;

// The program's file dialogs. A window's style sheet reaches every widget below it, a dialog
// opened over the window included, and the windows are dark; these dialogs carry a light
// sheet of their own so that every text in them reads. A platform's own dialog, where one is
// used, keeps its look.
namespace FileDialogs {

// The chosen existing file, empty when the user cancels.
QString chooseFileToOpen(QWidget *parent, const QString &caption, const QString &folder,
                         const QString &filter);
// The chosen target, empty when the user cancels; an existing file is confirmed first.
QString chooseFileToSave(QWidget *parent, const QString &caption, const QString &folder,
                         const QString &filter);
const QString &styleSheet();

} // namespace FileDialogs
