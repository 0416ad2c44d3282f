#pragma once

#include <ReportConfig.h>

#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;

// The REPORTS page: the company name and the two address lines printed on every report,
// taken as typed.
class ReportSettingsPage : public QWidget
{
    Q_OBJECT
public:
    explicit ReportSettingsPage(QWidget *parent);
    ~ReportSettingsPage() override;

signals:
    void reportSettingsDidChange(const ReportConfig &config);

public slots:
    void onRetrieveReportSettings();
    void onUpdateReportSettingsSubView(const ReportConfig &config);

private:
    struct Form
    {
        QWidget *widget = nullptr;
        QLabel *label = nullptr;
        QLabel *companyNameStaticLabel = nullptr;
        QLineEdit *companyNameLineEdit = nullptr;
        QLabel *companyAddressStaticLabel = nullptr;
        QLineEdit *companyAddress1 = nullptr;
        QLabel *companyAddressStaticLabel_2 = nullptr;
        QLineEdit *companyAddress2 = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
};
