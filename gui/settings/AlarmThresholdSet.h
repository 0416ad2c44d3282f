#pragma once

#include <QWidget>

#include <memory>

class AgConfig;
class AlarmThreshold;
class QCheckBox;
class QLabel;
class QPushButton;
class QStackedWidget;

// The alarm settings of one audiogroup: its alert switch above, and the main and the
// secondary threshold set as an accordion of two buttons over a stack of two pages.
class AlarmThresholdSet : public QWidget
{
    Q_OBJECT
public:
    explicit AlarmThresholdSet(QWidget *parent);
    ~AlarmThresholdSet() override;

    AlarmThreshold *getMainThreshold() const;
    AlarmThreshold *getSecondaryThreshold() const;

    // Both pages cleared and the alert box unchecked; the hidden auto-reconnect box and the
    // open page stay.
    void clear();
    // Shows the configuration's alert and auto-reconnect switches and both sets; the open
    // page stays.
    void populate(const AgConfig &config);
    bool isAlertsEnabledChecked() const;
    bool isAutoreconnectChecked() const;

public slots:
    void on_mainThresholdButton_clicked();
    void on_secondaryThresholdButton_clicked();

private:
    // Where the secondary button and the stack lie while one page is open.
    struct Placement
    {
        int mainButtonY;
        int secondaryButtonY;
        int pagesY;
    };
    struct Form
    {
        QWidget *header = nullptr;
        QLabel *enableAlertsPerAgStaticLabel = nullptr;
        QCheckBox *alertsPerAgCheckBox = nullptr;
        QLabel *autoReconnectStaticLabel = nullptr;
        QCheckBox *autoReconnectPerAgCheckBox = nullptr;
        QWidget *thresholdSet = nullptr;
        QPushButton *mainThresholdButton = nullptr;
        QPushButton *secondaryThresholdButton = nullptr;
        QStackedWidget *thresholdsStackedWidget = nullptr;
        AlarmThreshold *firstThresholdWidget = nullptr;
        AlarmThreshold *secondThresholdWidget = nullptr;
    };
    void setupForm();
    // Widens the set where its texts need more room than the form's 622 px.
    void fitToText();
    void place(const Placement &placement, int page);

    Placement m_mainShown{0, 380, 51};
    Placement m_secondaryShown{0, 51, 102};
    std::unique_ptr<Form> m_form;
};
