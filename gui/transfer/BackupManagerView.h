#pragma once

#include "ABackupManagerView.h"
#include "BackupManagerTableViewModel.h"

#include <KivPleaseWaitBox.h>

#include <QPair>
#include <QSet>

#include <memory>

class QHBoxLayout;
class QKeyEvent;
class QGridLayout;
class QPushButton;
class QTableView;

// The backup manager window: the table of the backups found and IMPORT, REFRESH and
// DELETE. It keeps the user's selection and scroll position by backup, not by row, when
// a new list arrives, since a scan inserts rows anywhere while the user chooses.
class BackupManagerView : public ABackupManagerView
{
    Q_OBJECT
public:
    static constexpr int kWidth = 1024;
    static constexpr int kHeight = 692;

    BackupManagerView(ViewType type, QWidget *parent);
    ~BackupManagerView() override;

    int initView() override;

    // Makes GUIFactory build this window for view type 7.
    static void registerCreator();

    // The records of the selected rows, in row order.
    QList<BackupItem> getSelectedItems() const;
    QTableView *tableView() const;

public slots:
    void onHide() override;
    void onUpdateGUI(const BackupModel &model) override;
    void onShowPleaseWaitDialog(const QString &text) override;
    void onHidePleaseWaitDialog() override;

    void on_importAgButton_clicked();
    void on_deleteAgButton_clicked();
    void on_pushButton_clicked();

protected:
    // Esc closes the window as its close button does.
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Form
    {
        QGridLayout *gridLayout = nullptr;
        QWidget *widget = nullptr;
        QTableView *tableView = nullptr;
        QWidget *layoutWidget = nullptr;
        QHBoxLayout *horizontalLayout = nullptr;
        QPushButton *importAgButton = nullptr;
        QPushButton *pushButton = nullptr;
        QPushButton *deleteAgButton = nullptr;
    };
    // A backup as the user chose it: its name and the file it was found in.
    using RowKey = QPair<QString, QString>;

    void setupForm();
    void setColumnWidths();
    QList<int> selectedRows() const;
    RowKey keyOfRow(int row) const;
    int rowOfKey(const RowKey &key) const;
    void rememberChoice();
    void forgetChoice();

    std::unique_ptr<Form> m_form;
    BackupManagerTableViewModel m_tableModel;
    KivPleaseWaitBox m_pleaseWait;
    // What the user chose, also the backups a rescan has not listed again yet: a rescan
    // starts over and lists the folder in steps.
    QSet<RowKey> m_chosen;
    bool m_restoring = false;
    // The backup at the top that a partial list did not hold yet.
    RowKey m_pendingTop;
};
