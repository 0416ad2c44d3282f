#pragma once

#include <QWidget>

#include <memory>

class QGridLayout;
class QRadioButton;

// The column of six category buttons at the left of the settings window; the one checked
// names the page shown.
class KIVSettingsCategorySelector : public QWidget
{
    Q_OBJECT
public:
    // Page indexes in the order of the settings window's stack.
    enum Category { General = 0, AudioGroups = 1, Alerts = 2, Smtp = 3, Reports = 4, Graph = 5 };

    explicit KIVSettingsCategorySelector(QWidget *parent);
    ~KIVSettingsCategorySelector() override;

    // Clicks GENERAL.
    void selectGeneral();
    QRadioButton *categoryButton(int category) const;

signals:
    void showSettingsScreen(int index);

public slots:
    void on_generalRadioButton_toggled(bool checked);
    void on_agRadioButton_toggled(bool checked);
    void on_alertsRadioButton_toggled(bool checked);
    void on_reportsRadioButton_toggled(bool checked);
    void on_smptRadioButton_clicked(bool checked);
    void on_graphRadioButton_clicked(bool checked);

private:
    struct Form
    {
        QGridLayout *gridLayout = nullptr;
        QRadioButton *generalRadioButton = nullptr;
        QRadioButton *agRadioButton = nullptr;
        QRadioButton *alertsRadioButton = nullptr;
        QRadioButton *smptRadioButton = nullptr;
        QRadioButton *reportsRadioButton = nullptr;
        QRadioButton *graphRadioButton = nullptr;
    };
    void setupForm();
    void emitWhenChecked(bool checked, Category category);

    std::unique_ptr<Form> m_form;
};
