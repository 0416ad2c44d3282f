#pragma once

#include "ViewType.h"

#include <QWidget>

class QCloseEvent;

// Base of every window that GUIFactory builds. Its signals are the user's actions, its
// virtual slots the updates the window accepts; the window's controller owns it.
class AView : public QWidget
{
    Q_OBJECT
public:
    AView(ViewType type, QWidget *parent);
    ~AView() override;

    ViewType getViewType() const { return m_viewType; }

    // Finishes the window's set-up; the factory calls it once, before handing it out.
    virtual int initView() = 0;

signals:
    void viewHide();
    void menuShowReportsWindow();
    void menuExportLog();
    void menuQuitApplication();
    void menuShowSettingsWindow();
    void menuShowAboutWindow();
    void menuShowDocumentationWindow();

public slots:
    virtual void onShow();
    virtual void onHide();
    void onImportLog();

protected:
    // Closing by the frame only tells the controller, which decides what closing means.
    void closeEvent(QCloseEvent *event) override;
    // For dialogs: each time it opens, the window opens centred on the window in use.
    void setOpensOverOwner() { m_opensOverOwner = true; }

private:
    const ViewType m_viewType;
    bool m_opensOverOwner = false;
};
