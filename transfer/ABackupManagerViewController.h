#pragma once

#include <QString>

// What the backup controller's thread needs of the backup manager window's controller; the
// window layer implements it. Every call may come from a worker thread.
class ABackupManagerViewController
{
public:
    virtual ~ABackupManagerViewController() = default;

    // Shows the window and starts feeding it the list.
    virtual void showManager() = 0;
    // Hides the window and stops feeding it.
    virtual void hideManager() = 0;
    // Returns once the feeding timer has stopped.
    virtual void stopUpdateTimer() = 0;
    virtual void showPleaseWait(const QString &text) = 0;
    virtual void hidePleaseWait() = 0;
};
