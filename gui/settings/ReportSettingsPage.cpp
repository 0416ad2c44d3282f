#include "ReportSettingsPage.h"

#include "SettingsStyles.h"

#include <TextRoom.h>

#include <QLabel>
#include <QLineEdit>

ReportSettingsPage::ReportSettingsPage(QWidget *parent)
    : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
}

ReportSettingsPage::~ReportSettingsPage() = default;

void ReportSettingsPage::setupForm()
{
    setObjectName(QStringLiteral("ReportSettingsPage"));
    setWindowTitle(QStringLiteral("Form"));
    setFixedSize(SettingsStyles::kPageWidth, SettingsStyles::kPageHeight);

    Form &f = *m_form;
    f.widget = SettingsStyles::addPanel(
        this, QStringLiteral("widget"),
        QRect(0, 0, SettingsStyles::kPageWidth, SettingsStyles::kPageHeight),
        SettingsStyles::pageBackgroundSheet());

    f.label = SettingsStyles::addPageTitle(f.widget, tr("REPORTS"));

    const QString captionSheet = QStringLiteral("color:white; background-color:rgba(0,0,0,0);");
    auto row = [&](QLabel *&caption, const char *captionName, const QString &text,
                   QLineEdit *&edit, const char *editName, int y) {
        caption = SettingsStyles::addWhiteLabel(f.widget, QString::fromLatin1(captionName), text,
                                                11);
        caption->setStyleSheet(captionSheet);
        caption->setGeometry(90, y, 180, 26);
        edit = SettingsStyles::addLineEdit(f.widget, QString::fromLatin1(editName));
        edit->setGeometry(280, y, 470, 26);
    };
    row(f.companyNameStaticLabel, "companyNameStaticLabel", tr("Company name"),
        f.companyNameLineEdit, "companyNameLineEdit", 140);
    row(f.companyAddressStaticLabel, "companyAddressStaticLabel", tr("Company address 1"),
        f.companyAddress1, "companyAddress1", 210);
    row(f.companyAddressStaticLabel_2, "companyAddressStaticLabel_2", tr("Company address 2"),
        f.companyAddress2, "companyAddress2", 280);
    TextRoom::growRow(f.widget);
}

void ReportSettingsPage::onRetrieveReportSettings()
{
    ReportConfig config;
    config.setCompanyName(m_form->companyNameLineEdit->text());
    config.setCompanyAddress(m_form->companyAddress1->text());
    config.setCompanyAddress2(m_form->companyAddress2->text());
    emit reportSettingsDidChange(config);
}

void ReportSettingsPage::onUpdateReportSettingsSubView(const ReportConfig &config)
{
    m_form->companyNameLineEdit->setText(config.getCompanyName());
    m_form->companyAddress1->setText(config.getCompanyAddress());
    m_form->companyAddress2->setText(config.getCompanyAddress2());
}
