#include "SettingsDialog.h"

#include "AlertsSettings.h"
#include "AudioGroupsSettings.h"
#include "CancelOKButtons.h"
#include "GeneralSettings.h"
#include "GraphSettings.h"
#include "KIVSettingsCategorySelector.h"
#include "ReportSettingsPage.h"
#include "SettingsStyles.h"
#include "SmtpSettings.h"

#include <GUIFactory.h>
#include <KivPleaseWaitBox.h>

#include <QIcon>
#include <QLabel>
#include <QLayout>
#include <QPixmap>
#include <QStackedWidget>

#include <algorithm>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 692;
constexpr int kSelectorWidth = 173;

} // namespace

SettingsDialog::SettingsDialog(ViewType type, QWidget *parent)
    : ASettingsView(type, parent), m_form(std::make_unique<Form>()),
      m_pleaseWaitBox(std::make_unique<KivPleaseWaitBox>(nullptr))
{
    setupForm();
    connectPages();
    initView();
}

SettingsDialog::~SettingsDialog() = default;

template <typename Page>
Page *SettingsDialog::addPage(QWidget *&holder, const char *holderName, const char *pageName)
{
    holder = new QWidget();
    holder->setObjectName(QString::fromLatin1(holderName));
    auto *page = new Page(holder);
    page->setObjectName(QString::fromLatin1(pageName));
    page->setGeometry(0, 0, SettingsStyles::kPageWidth, SettingsStyles::kPageHeight);
    m_form->stackedWidget->addWidget(holder);
    return page;
}

void SettingsDialog::setupForm()
{
    setObjectName(QStringLiteral("SettingsDialog"));
    setFixedSize(kWidth, kHeight);
    setWindowModality(Qt::ApplicationModal);
    setWindowIcon(QIcon(QStringLiteral(":/gui/menubar/kiv_icon.png")));

    Form &f = *m_form;
    f.categorySelector = new KIVSettingsCategorySelector(this);
    f.categorySelector->setObjectName(QStringLiteral("categorySelector"));
    f.categorySelector->setGeometry(0, 0, kSelectorWidth, kHeight);

    f.stackedWidget = new QStackedWidget(this);
    f.stackedWidget->setObjectName(QStringLiteral("stackedWidget"));
    f.stackedWidget->setGeometry(kSelectorWidth, 0, SettingsStyles::kPageWidth, kHeight);
    f.generalSettings =
        addPage<GeneralSettings>(f.generalPage, "generalPage", "generalSettings");
    f.agListSettings = addPage<AudioGroupsSettings>(f.agPage, "agPage", "agListSettings");
    f.alertsSettings =
        addPage<AlertsSettings>(f.alertsSettingsPage, "alertsSettingsPage", "alertsSettings");
    f.smtpSettings = addPage<SmtpSettings>(f.smtpSettingsPage, "smtpSettingsPage", "smtpSettings");
    f.reportSettings =
        addPage<ReportSettingsPage>(f.reportSettingsPage, "reportSettingsPage", "reportSettings");
    f.graphSettings =
        addPage<GraphSettings>(f.graphSettingsPage, "graphSettingsPage", "graphSettings");

    // Over the bottom of the pages.
    f.cancelOKButtons = new CancelOKButtons(this);
    f.cancelOKButtons->setObjectName(QStringLiteral("cancelOKButtons"));
    f.cancelOKButtons->setGeometry(kSelectorWidth, 606, SettingsStyles::kPageWidth, 85);

    // Over the bottom of the category column.
    f.logoLabel = new QLabel(this);
    f.logoLabel->setObjectName(QStringLiteral("logoLabel"));
    f.logoLabel->setGeometry(40, 634, 91, 16);
    f.logoLabel->setPixmap(QPixmap(QStringLiteral(":/main/NUV_logo.png")));
    f.logoLabel->setScaledContents(true);
    f.logoLabel->setStyleSheet(QStringLiteral("background-color:rgba(0,0,0,0);"));

    connect(f.categorySelector, &KIVSettingsCategorySelector::showSettingsScreen, this,
            &SettingsDialog::onSettingsTabSelected);
    fitPagesToText();
}

void SettingsDialog::fitPagesToText()
{
    // The pages stand at fixed places; where the desktop's text is larger, a page whose texts
    // need more than the form's width widens all pages and the window with it.
    Form &f = *m_form;
    int pageWidth = SettingsStyles::kPageWidth;
    for (int i = 0; i < f.stackedWidget->count(); ++i) {
        const QWidget *holder = f.stackedWidget->widget(i);
        for (const QWidget *page :
             holder->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            pageWidth = std::max(pageWidth, page->minimumWidth());
            if (page->layout())
                pageWidth = std::max(pageWidth, page->layout()->totalMinimumSize().width());
            for (const QWidget *part :
                 page->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly))
                pageWidth = std::max(pageWidth, part->x() + part->minimumWidth());
        }
    }
    if (pageWidth == SettingsStyles::kPageWidth)
        return;
    for (int i = 0; i < f.stackedWidget->count(); ++i) {
        QWidget *holder = f.stackedWidget->widget(i);
        for (QWidget *page :
             holder->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
            page->setFixedWidth(pageWidth);
            // The backgrounds that span the page span it still.
            for (QWidget *part :
                 page->findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
                if (part->x() == 0 && part->width() == SettingsStyles::kPageWidth)
                    part->resize(pageWidth, part->height());
            }
        }
    }
    f.stackedWidget->resize(pageWidth, f.stackedWidget->height());
    // The buttons stay centred under the pages.
    f.cancelOKButtons->move(kSelectorWidth + (pageWidth - SettingsStyles::kPageWidth) / 2,
                            f.cancelOKButtons->y());
    setFixedSize(kSelectorWidth + pageWidth, kHeight);
}

void SettingsDialog::connectPages()
{
    constexpr Qt::ConnectionType direct = Qt::DirectConnection;
    Form &f = *m_form;
    connect(f.cancelOKButtons, &CancelOKButtons::cancelButtonClicked, this,
            &ASettingsView::CancelButtonClick, direct);
    connect(f.cancelOKButtons, &CancelOKButtons::okButtonClicked, this,
            &ASettingsView::SaveButtonClick, direct);

    // Updates to the pages.
    connect(this, &ASettingsView::updateAudioGroupSettingsList, f.agListSettings,
            &AudioGroupsSettings::onUpdateAudioGroupSettingsList, direct);
    connect(this, &ASettingsView::updateAlertsSettingsSubview, f.alertsSettings,
            &AlertsSettings::onUpdateAlertsSettings, direct);
    connect(this, &ASettingsView::updateSmtpSettingsSubview, f.smtpSettings,
            &SmtpSettings::onUpdateSmtpSettingsSubview, direct);
    connect(this, &ASettingsView::updateSMTPSettingsTestButton, f.smtpSettings,
            &SmtpSettings::onUpdateSMTPSettingsTestButton, direct);
    connect(this, &ASettingsView::updateReportSettingsSubview, f.reportSettings,
            &ReportSettingsPage::onUpdateReportSettingsSubView, direct);
    connect(this, &ASettingsView::updateGeneralSettingsSubview, f.generalSettings,
            &GeneralSettings::onUpdateGeneralSettingsSubview, direct);
    connect(this, &ASettingsView::updateGraphSettingsSubview, f.graphSettings,
            &GraphSettings::onUpdateGraphSettingsSubview, direct);
    connect(this, &ASettingsView::PopulateAudioGroupSettings, f.agListSettings,
            &AudioGroupsSettings::onPopulateAudioGroupSettings, direct);

    // The pages' answers and requests.
    connect(f.agListSettings, &AudioGroupsSettings::AudioGroupSelected, this,
            &ASettingsView::AudioGroupSelected, direct);
    connect(f.agListSettings, &AudioGroupsSettings::AgSettingsDidChange, this,
            &ASettingsView::AgSettingsDidChange, direct);
    connect(f.alertsSettings, &AlertsSettings::alertSettingsDidChange, this,
            &ASettingsView::alertSettingsDidChange, direct);
    connect(f.alertsSettings, &AlertsSettings::addAlertContact, this,
            &ASettingsView::addAlertContact, direct);
    connect(f.alertsSettings, &AlertsSettings::removeAlertContact, this,
            &ASettingsView::removeAlertContact, direct);
    connect(f.smtpSettings, &SmtpSettings::smtpSettingsDidChange, this,
            &ASettingsView::smtpSettingsDidChange, direct);
    connect(f.smtpSettings, &SmtpSettings::testSMTPSettingsButtonClick, this,
            &ASettingsView::testSMTPSettingsButtonClick, direct);
    connect(f.reportSettings, &ReportSettingsPage::reportSettingsDidChange, this,
            &ASettingsView::reportSettingsDidChange, direct);
    connect(f.generalSettings, &GeneralSettings::generalSettingsDidChange, this,
            &ASettingsView::generalSettingsDidChange, direct);
    connect(f.graphSettings, &GraphSettings::graphSettingsDidChange, this,
            &ASettingsView::graphSettingsDidChange, direct);

    // Retrieve requests: each page has answered when the emission returns.
    connect(this, &ASettingsView::RetrieveAudioGroupSettings, f.agListSettings,
            &AudioGroupsSettings::onRetrieveAudioGroupSettings, direct);
    connect(this, &ASettingsView::retrieveAlertSettings, f.alertsSettings,
            &AlertsSettings::onRetrieveAlertContactConfigList, direct);
    connect(this, &ASettingsView::retrieveSmtpSettings, f.smtpSettings,
            &SmtpSettings::onRetrieveSmtpConfig, direct);
    connect(this, &ASettingsView::retrieveReportSettings, f.reportSettings,
            &ReportSettingsPage::onRetrieveReportSettings, direct);
    connect(this, &ASettingsView::retrieveGeneralSettings, f.generalSettings,
            &GeneralSettings::onRetrieveGeneralSettings, direct);
    connect(this, &ASettingsView::retrieveGraphSettings, f.graphSettings,
            &GraphSettings::onRetrieveGraphSettings, direct);
}

int SettingsDialog::initView()
{
    m_form->stackedWidget->setCurrentIndex(0);
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setWindowTitle(tr("Settings"));
    return 0;
}

void SettingsDialog::onShow()
{
    ASettingsView::onShow();
    m_form->categorySelector->selectGeneral();
}

void SettingsDialog::onSettingsTabSelected(int index)
{
    m_form->stackedWidget->setCurrentIndex(index);
}

void SettingsDialog::onShowPleaseWaitDialog(const QString &text)
{
    m_pleaseWaitBox->setText(text);
    m_pleaseWaitBox->show();
}

void SettingsDialog::onHidePleaseWaitDialog()
{
    m_pleaseWaitBox->hide();
}

KIVSettingsCategorySelector *SettingsDialog::categorySelector() const
{
    return m_form->categorySelector;
}

CancelOKButtons *SettingsDialog::cancelOKButtons() const
{
    return m_form->cancelOKButtons;
}

QStackedWidget *SettingsDialog::pages() const
{
    return m_form->stackedWidget;
}

GeneralSettings *SettingsDialog::generalSettings() const
{
    return m_form->generalSettings;
}

AudioGroupsSettings *SettingsDialog::audioGroupsSettings() const
{
    return m_form->agListSettings;
}

AlertsSettings *SettingsDialog::alertsSettings() const
{
    return m_form->alertsSettings;
}

SmtpSettings *SettingsDialog::smtpSettings() const
{
    return m_form->smtpSettings;
}

ReportSettingsPage *SettingsDialog::reportSettings() const
{
    return m_form->reportSettings;
}

GraphSettings *SettingsDialog::graphSettings() const
{
    return m_form->graphSettings;
}

KivPleaseWaitBox *SettingsDialog::pleaseWaitBox() const
{
    return m_pleaseWaitBox.get();
}

void SettingsDialog::registerCreator()
{
    GUIFactory::getInstance()->registerViewCreator(
        kViewTypeSettings,
        [](ViewType type) -> AView * { return new SettingsDialog(type, nullptr); });
}
