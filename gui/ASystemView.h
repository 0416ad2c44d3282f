#pragma once

#include "AView.h"

#include <QMultiMap>
#include <QString>

class SystemUIData;

// The main window as its controller sees it. An audiogroup travels as (instrument name,
// audiogroup source name); a selection as a multi-map of instrument name to source name.
class ASystemView : public AView
{
    Q_OBJECT
public:
    ASystemView(ViewType type, QWidget *parent);
    ~ASystemView() override;

    // The repaint request of QWidget stays reachable beside the state update below.
    using QWidget::update;

signals:
    void showAgView(const QString &instrumentName, const QString &agName);
    void onResetAgViolationStatus(const QString &instrumentName, const QString &agName);
    void onResetAgAcquisitionStatus(const QString &instrumentName, const QString &agName);
    void addButtonClick();
    void deleteButtonClick(const QMultiMap<QString, QString> &selection);
    // true: start manual logging, false: stop it.
    void startStopButtonClick(bool start);
    void autoButtonClick(bool on);
    void menuShowManageBackupsWindow();
    // The menu's "Generate Report" with the selected audiogroups (possibly none).
    void menuShowReportsWindow(const QMultiMap<QString, QString> &selection);

public slots:
    // Shows the whole state.
    virtual void update(const SystemUIData &state) = 0;
    // Opens an alert box with the text.
    virtual void onShowAlert(const QString &text) = 0;
};
