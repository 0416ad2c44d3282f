#pragma once

#include <AView.h>
#include <BackupItem.h>
#include <BackupModel.h>

#include <QList>

// The backup manager window as its controller sees it: the user's three actions, the list
// to show and the please-wait box.
class ABackupManagerView : public AView
{
    Q_OBJECT
public:
    ABackupManagerView(ViewType type, QWidget *parent);
    ~ABackupManagerView() override;

signals:
    void backupManagerImport(const QList<BackupItem> &items);
    void backupManagerRefresh();
    void backupManagerDelete(const QList<BackupItem> &items);

public slots:
    virtual void onUpdateGUI(const BackupModel &model) = 0;
    virtual void onShowPleaseWaitDialog(const QString &text) = 0;
    virtual void onHidePleaseWaitDialog() = 0;
};
