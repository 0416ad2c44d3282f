#pragma once

#include "AlertsAddContactDialog.h"

#include <AlertContactConfig.h>

#include <QList>
#include <QWidget>

#include <memory>

class NUVListWidget;
class QCheckBox;
class QGridLayout;
class QLabel;
class QPushButton;

// The ALERTS page: the system-wide alerts switch and the alert contacts, each with its
// e-mail address and a Remove button, and the button that opens the add-contact box. The
// page only forwards additions and removals; the controller makes them and redraws it.
class AlertsSettings : public QWidget
{
    Q_OBJECT
public:
    explicit AlertsSettings(QWidget *parent);
    ~AlertsSettings() override;

    AlertsAddContactDialog *getAddContactDialog() { return &m_addContactDialog; }
    NUVListWidget *getListWidget() const;

signals:
    void removeAlertContact(const QString &name);
    void addAlertContact(const AlertContactConfig &contact);
    void alertSettingsDidChange(bool enabled, const QList<AlertContactConfig> &contacts);

public slots:
    void onUpdateAlertsSettings(bool enabled, const QList<AlertContactConfig> &contacts);
    void onRetrieveAlertContactConfigList();
    void on_okButton_clicked();

private:
    struct Form
    {
        QGridLayout *gridLayout = nullptr;
        QWidget *widget = nullptr;
        QWidget *layoutWidget = nullptr;
        QGridLayout *alertsCheckBoxGrid = nullptr;
        QLabel *enableAlertsStaticLabel = nullptr;
        QCheckBox *enableAlertsCheckBox = nullptr;
        NUVListWidget *alertsContentListWidget = nullptr;
        QPushButton *okButton = nullptr;
        QLabel *label = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
    AlertsAddContactDialog m_addContactDialog;
};
