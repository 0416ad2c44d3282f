#pragma once

#include <QObject>

class AView;

// Shows the backup files and passes the user's choices to the backup controller.
class BackupManagerViewController : public QObject
{
    Q_OBJECT
public:
    explicit BackupManagerViewController(QObject *parent);
    ~BackupManagerViewController() override;

    // GUI thread: obtains the backup manager window.
    void init();

private:
    AView *m_view = nullptr;
};
