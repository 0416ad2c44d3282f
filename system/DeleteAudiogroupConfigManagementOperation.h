#pragma once

#include "AConfigManagementOperation.h"

#include <QMultiMap>

// Deletes the selected audiogroups after the user's confirmation; an instrument whose
// last audiogroup goes is removed with it. The apply sequence stops and retires them;
// an imported audiogroup's database file goes with it, a logged one stays.
class DeleteAudiogroupConfigManagementOperation : public AConfigManagementOperation
{
    Q_OBJECT
public:
    enum State { StateAsking = 0, StateDeleting = 1 };

    // selection: instrument Name -> audiogroup source name.
    DeleteAudiogroupConfigManagementOperation(int type, int id,
                                              const QMultiMap<QString, QString> &selection);
    ~DeleteAudiogroupConfigManagementOperation() override;

    void onConfirm() override;
    void onRefuse() override;

    int getState() const { return m_state; }
    QMultiMap<QString, QString> getSelection() const { return m_selection; }

protected:
    void changeSystemConfig() override;
    void step() override;
    void abort() override;

private:
    int m_state = StateAsking;
    QMultiMap<QString, QString> m_selection;
    bool m_confirmed = false;
    bool m_refused = false;
};
