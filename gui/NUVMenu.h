#pragma once

#include <QMenuBar>

class AView;
class QMenu;

// The menu bar of the main window and of every audiogroup window. It does no work of its
// own: each entry is wired to a slot or a signal of the window that installs it, and that
// window's controller reacts. Only the audiogroup window offers "Export Log", only the main
// window "Manage Backups".
class NUVMenu : public QMenuBar
{
    Q_OBJECT
public:
    explicit NUVMenu(QWidget *parent);
    ~NUVMenu() override;

    // Builds the logo and the File, Edit and Help menus for the window; once per window.
    void setupMenus(AView *view);

    QMenu *fileMenu() const { return m_fileMenu; }
    QMenu *editMenu() const { return m_editMenu; }
    QMenu *helpMenu() const { return m_helpMenu; }

private:
    // Schedules an existing menu for deletion and adds a new one with the title.
    QMenu *replaceMenu(QMenu *&menu, const QString &title);
    void buildFileMenu(AView *view);
    void buildEditMenu(AView *view);
    void buildHelpMenu(AView *view);

    QMenu *m_fileMenu = nullptr;
    QMenu *m_editMenu = nullptr;
    QMenu *m_helpMenu = nullptr;
};
