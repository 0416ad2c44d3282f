#pragma once

#include <QWidget>

#include <memory>

class QCheckBox;
class QGridLayout;
class QLabel;

// The GENERAL page: whether the integrated loudness is judged only at the end of a
// program.
class GeneralSettings : public QWidget
{
    Q_OBJECT
public:
    explicit GeneralSettings(QWidget *parent);
    ~GeneralSettings() override;

signals:
    void generalSettingsDidChange(bool checkIAtProgramEndOnly);

public slots:
    void onRetrieveGeneralSettings();
    void onUpdateGeneralSettingsSubview(bool checkIAtProgramEndOnly);

private:
    struct Form
    {
        QWidget *background = nullptr;
        QWidget *layoutWidget = nullptr;
        QGridLayout *gridLayout = nullptr;
        QLabel *IPgmEndAlertsLabel = nullptr;
        QCheckBox *IPgmEndAlertsCheckbox = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
};
