#pragma once

#include "AConfigManagementOperation.h"

#include <SystemConfig.h>

// Runs the settings dialog: shows it, waits for Save or Cancel, validates the edited
// configuration and applies it with everything paused. A save that is refused or fails
// leaves the dialog open with the user's edits and waits again.
class SettingsConfigManagementOperation : public AConfigManagementOperation
{
    Q_OBJECT
public:
    enum State { StateEditing = 0, StateSaving = 1, StateBackToEditing = 2, StateClosed = 3 };

    SettingsConfigManagementOperation(int type, int id);
    ~SettingsConfigManagementOperation() override;

    // The dialog's Save and Cancel (or its closing), through the system controller.
    void requestSave();
    void requestCancel();

    int getState() const { return m_state; }

protected:
    void changeSystemConfig() override;
    void step() override;
    void abort() override;

private:
    void stepEditing();
    void stepSaving();
    void backToEditing();

    int m_state = StateEditing;
    bool m_saveRequested = false;
    bool m_cancelRequested = false;
    // What was validated is what gets applied, whatever the dialog holds by then.
    SystemConfig m_validated;
    // Set by changeSystemConfig when "_config.xml" could not be written; nothing was
    // applied then.
    bool m_writeFailed = false;
};
