#include "SettingsViewController.h"

#include "ASettingsView.h"

#include <ASystem.h>
#include <ConfigValidators.h>
#include <GUIFactory.h>
#include <ORQLogging.h>
#include <SMTPRequest.h>
#include <SMTPTestController.h>

#include <QMutexLocker>

#include <exception>
#include <vector>

namespace {

const char *const kTestEmailSubject = "KIV test email";

SMTPTestController *testController()
{
    ASystem *system = ASystem::instance();
    return system ? system->getSMTPTestController() : nullptr;
}

} // namespace

SettingsViewController::SettingsViewController() = default;

SettingsViewController::~SettingsViewController()
{
    if (m_view)
        m_view->deleteLater();
}

int SettingsViewController::init()
{
    try {
        m_timer.init(kUpdateIntervalMs, this, &SettingsViewController::onUpdateTimer);
        connect(this, &SettingsViewController::killUpdateTimer, &m_timer,
                &ViewUpdateTimer::stopAndWait, Qt::DirectConnection);
        AView *view = GUIFactory::getInstance()->createView(kViewTypeSettings);
        m_view = qobject_cast<ASettingsView *>(view);
        if (!m_view) {
            KIV_LOG(2, "SettingsViewController: no settings window\n");
            delete view;
            return -1;
        }
    } catch (const std::exception &e) {
        KIV_LOG(2, "SettingsViewController: init failed: %s\n", e.what());
        return -1;
    }
    connectView();
    return 0;
}

void SettingsViewController::connectView()
{
    using Self = SettingsViewController;
    using View = ASettingsView;
    constexpr Qt::ConnectionType queued = Qt::QueuedConnection;
    constexpr Qt::ConnectionType direct = Qt::DirectConnection;
    ASettingsView *view = m_view;

    connect(this, &Self::show, view, &AView::onShow, queued);
    connect(this, &Self::hide, view, &AView::onHide, queued);
    connect(this, &Self::updateAudioGroupSettingsList, view, &View::updateAudioGroupSettingsList,
            queued);
    connect(this, &Self::updateAlertsSettingsSubview, view, &View::updateAlertsSettingsSubview,
            queued);
    connect(this, &Self::updateSmtpSettingsSubview, view, &View::updateSmtpSettingsSubview, queued);
    connect(this, &Self::updateSMTPSettingsTestButton, view, &View::updateSMTPSettingsTestButton,
            queued);
    connect(this, &Self::updateReportSettingsSubview, view, &View::updateReportSettingsSubview,
            queued);
    connect(this, &Self::updateGeneralSettingsSubview, view, &View::updateGeneralSettingsSubview,
            queued);
    connect(this, &Self::updateGraphSettingsSubview, view, &View::updateGraphSettingsSubview,
            queued);
    connect(this, &Self::PopulateAudioGroupSettings, view, &View::PopulateAudioGroupSettings,
            queued);
    connect(this, &Self::showPleaseWaitDialog, view, &View::onShowPleaseWaitDialog, queued);
    connect(this, &Self::hidePleaseWaitDialog, view, &View::onHidePleaseWaitDialog, queued);

    // Emitted on the GUI thread only: the pages answer before the emission returns.
    connect(this, &Self::RetrieveAudioGroupSettings, view, &View::RetrieveAudioGroupSettings,
            direct);
    connect(this, &Self::retrieveAlertSettings, view, &View::retrieveAlertSettings, direct);
    connect(this, &Self::retrieveSmtpSettings, view, &View::retrieveSmtpSettings, direct);
    connect(this, &Self::retrieveReportSettings, view, &View::retrieveReportSettings, direct);
    connect(this, &Self::retrieveGeneralSettings, view, &View::retrieveGeneralSettings, direct);
    connect(this, &Self::retrieveGraphSettings, view, &View::retrieveGraphSettings, direct);

    connect(view, &AView::viewHide, this, &Self::onViewHide, direct);
    connect(view, &View::SaveButtonClick, this, &Self::onSaveSettingsButtonClick, direct);
    connect(view, &View::CancelButtonClick, this, &Self::onCancelButtonClick, direct);
    connect(view, &View::AudioGroupSelected, this, &Self::onAudioGroupSelected, direct);
    connect(view, &View::AgSettingsDidChange, this, &Self::onAudioGroupSettingsChanged, direct);
    connect(view, &View::alertSettingsDidChange, this, &Self::onAlertSettingsChanged, direct);
    connect(view, &View::addAlertContact, this, &Self::onAddAlertContact, direct);
    connect(view, &View::removeAlertContact, this, &Self::onRemoveAlertContact, direct);
    connect(view, &View::smtpSettingsDidChange, this, &Self::onSmtpSettingsDidChange, direct);
    connect(view, &View::testSMTPSettingsButtonClick, this, &Self::onTestSMTPSettingsButtonClick,
            direct);
    connect(view, &View::reportSettingsDidChange, this, &Self::onReportSettingsDidChange, direct);
    connect(view, &View::generalSettingsDidChange, this, &Self::onGeneralSettingsDidChange, direct);
    connect(view, &View::graphSettingsDidChange, this, &Self::onGraphSettingsDidChange, direct);
}

void SettingsViewController::start()
{
    QMutexLocker lock(&m_mutex);
    // An open window keeps the user's edits.
    if (m_shown)
        return;
    if (ASystem *system = ASystem::instance())
        m_config = system->getSystemConfig();
    m_shown = true;
    m_timer.start();
    emit show();

    QList<AGSettingsListModelItem> items;
    for (const InstrumentConfig &instrument : m_config.getInstruments()) {
        for (const AgConfig &group : instrument.getAgConfigs())
            items.append(AGSettingsListModelItem(instrument.getName(), group.getName()));
    }
    emit updateAudioGroupSettingsList(items);
    emit updateAlertsSettingsSubview(m_config.getAlertsEnabled(), m_config.getAlertContacts());
    emit updateSmtpSettingsSubview(m_config.getSMTPConfig());
    emit updateReportSettingsSubview(m_config.getReportConfig());
    emit updateGeneralSettingsSubview(m_config.getCheckIAtProgramEndOnly());
    emit updateGraphSettingsSubview(m_config.getHideProgramId(), m_config.getRangeSettings());
}

void SettingsViewController::stop()
{
    QMutexLocker lock(&m_mutex);
    m_shown = false;
    m_timer.stop();
    emit hide();
}

void SettingsViewController::stopUpdateTimer()
{
    emit killUpdateTimer();
}

void SettingsViewController::showPleaseWait(const QString &text)
{
    emit showPleaseWaitDialog(text);
}

void SettingsViewController::hidePleaseWait()
{
    emit hidePleaseWaitDialog();
}

SystemConfig SettingsViewController::getSystemConfig() const
{
    QMutexLocker lock(&m_mutex);
    return m_config;
}

void SettingsViewController::onUpdateTimer()
{
    const SMTPTestController *controller = testController();
    emit updateSMTPSettingsTestButton(controller && controller->hasRequests());
}

void SettingsViewController::onSaveSettingsButtonClick()
{
    emit RetrieveAudioGroupSettings();
    emit retrieveAlertSettings();
    emit retrieveSmtpSettings();
    emit retrieveReportSettings();
    emit retrieveGeneralSettings();
    emit retrieveGraphSettings();
    if (ASystem *system = ASystem::instance())
        system->saveSettings();
}

void SettingsViewController::onCancelButtonClick()
{
    if (ASystem *system = ASystem::instance())
        system->cancelSettings();
}

void SettingsViewController::onViewHide()
{
    onCancelButtonClick();
}

void SettingsViewController::onAudioGroupSelected(const QString &instrumentName,
                                                  const QString &agName)
{
    AgConfig group;
    {
        QMutexLocker lock(&m_mutex);
        group = m_config.getAgConfig(instrumentName, agName);
    }
    emit PopulateAudioGroupSettings(group, instrumentName);
}

void SettingsViewController::onAudioGroupSettingsChanged(const AgConfig &agConfig,
                                                         const QString &instrumentName)
{
    QMutexLocker lock(&m_mutex);
    if (!m_config.hasAgConfig(instrumentName, agConfig.getName()))
        return;
    InstrumentConfig instrument = m_config.getInstrument(instrumentName);
    instrument.removeAgConfig(agConfig.getName());
    instrument.setAgConfig(agConfig);
    // Updating a held instrument would keep its stored audiogroups.
    m_config.removeInstrument(instrumentName);
    m_config.addOrUpdateInstrument(instrument);
}

void SettingsViewController::onAlertSettingsChanged(bool enabled,
                                                    const QList<AlertContactConfig> &contacts)
{
    QMutexLocker lock(&m_mutex);
    m_config.setAlertsEnabled(enabled);
    if (!contacts.isEmpty())
        m_config.setAlertContacts(contacts);
}

void SettingsViewController::onAddAlertContact(const AlertContactConfig &contact)
{
    // The page is redrawn from the copy: it takes the switch and the addresses as shown
    // first, so that the redrawing does not undo them.
    emit retrieveAlertSettings();
    QMutexLocker lock(&m_mutex);
    m_config.addOrUpdateAlertContact(contact);
    emitAlertsUpdate();
}

void SettingsViewController::onRemoveAlertContact(const QString &name)
{
    emit retrieveAlertSettings();
    QMutexLocker lock(&m_mutex);
    m_config.removeAlertContact(name);
    emitAlertsUpdate();
}

void SettingsViewController::emitAlertsUpdate()
{
    emit updateAlertsSettingsSubview(m_config.getAlertsEnabled(), m_config.getAlertContacts());
}

void SettingsViewController::onSmtpSettingsDidChange(const SMTPConfig &config)
{
    QMutexLocker lock(&m_mutex);
    m_config.setSMTPConfig(config);
}

void SettingsViewController::onReportSettingsDidChange(const ReportConfig &config)
{
    QMutexLocker lock(&m_mutex);
    m_config.setReportConfig(config);
}

void SettingsViewController::onGeneralSettingsDidChange(bool checkIAtProgramEndOnly)
{
    QMutexLocker lock(&m_mutex);
    m_config.setCheckIAtProgramEndOnly(checkIAtProgramEndOnly);
}

void SettingsViewController::onGraphSettingsDidChange(bool hideProgramId, const QList<int> &ranges)
{
    QMutexLocker lock(&m_mutex);
    m_config.setHideProgramId(hideProgramId);
    m_config.setRangeSettings(ranges);
}

void SettingsViewController::onTestSMTPSettingsButtonClick()
{
    // The two pages answer at once: the test uses what they show now.
    emit retrieveAlertSettings();
    emit retrieveSmtpSettings();

    QList<AlertContactConfig> contacts;
    SMTPConfig smtp;
    {
        QMutexLocker lock(&m_mutex);
        contacts = m_config.getAlertContacts();
        smtp = m_config.getSMTPConfig();
    }
    const QString noContact = QStringLiteral("Could not send test email because there is no "
                                             "contact defined in alert contacts settings");
    std::vector<SMTPRequest> requests;
    for (AlertContactConfig contact : contacts) {
        // As for alerts: an address the validator refuses gets no mail.
        AlertContactConfigValidator validator;
        validator.setConfig(&contact);
        QString message;
        if (!validator.validate(message, false))
            continue;
        requests.emplace_back(QString(), smtp, smtp.getSenderEmailAddress(), smtp.getUser(),
                              contact.getEmail(), contact.getName(),
                              QString::fromLatin1(kTestEmailSubject), testEmailBody());
    }
    if (requests.empty()) {
        showAlert(noContact);
        return;
    }
    const QString busy =
        QStringLiteral("Could not send test email because there is another one in progress.");
    SMTPTestController *controller = testController();
    if (!controller || controller->hasRequests()) {
        showAlert(busy);
        return;
    }
    int result = -1;
    controller->queueRequests(std::move(requests), result);
    if (result != 0)
        showAlert(busy);
}

void SettingsViewController::showAlert(const QString &text)
{
    if (ASystem *system = ASystem::instance())
        system->showAlert(text);
}

QString SettingsViewController::testEmailBody()
{
    // One line; runs of blanks and tabs stand between the tags.
    static const QString body = [] {
        struct Line
        {
            int depth;
            const char *text;
        };
        static const Line lines[] = {
            {0, "<html>"},
            {1, "<head>"},
            {2, "<title>Test email</title>"},
            {2, "<meta http-equiv='Content-Type' content='text/html; charset=utf-8'>"},
            {1, "</head>"},
            {1, "<body style=\"font-family: Arial Black;\">"},
            {2, "<table style=\"width: 100%;\">"},
            {3, "<tr height=\"20px\">"},
            {4, "<td colspan=\"3\"></td>"},
            {3, "</tr>"},
            {3, "<tr>"},
            {4, "<td width=\"20px\"></td>"},
            {4, "<td style=\"padding: 30px;\">"},
            {5, "<table id=\"header\" style=\"padding-bottom: 20px; border-bottom: solid 1px "
                "#000000; width: 100%;\">"},
            {6, "<tr>"},
            {7, "<td><img style=\"display: inline; width: 100px;\" src=\"cid:NUVLogo\"></td>"},
            {7, "<td style=\"text-align: right;\"><p style=\"display: inline; color: #000000; "
                "margin: auto; font-size: 16px;\">Valid SMTP settings</p></td>"},
            {6, "</tr>"},
            {5, "</table>"},
            {5, "<table style=\"font-size: 14px; font-family: Arial;\">"},
            {6, "<tr>"},
            {7, "<td style=\"padding-top: 30px;\"><font color=\"#000000\">This is an email sent "
                "for SMTP settings validation from a KIV instance where you are set as an alert "
                "contact.</font></td>"},
            {6, "</tr>"},
            {5, "</table>"},
            {4, "</td>"},
            {4, "<td width=\"20px\"></td>"},
            {3, "</tr>"},
            {3, "<tr height=\"20px\">"},
            {4, "<td colspan=\"3\"></td>"},
            {3, "</tr>"},
            {2, "</table>"},
            {1, "</body>"},
            {0, "</html>"},
        };
        QString text;
        for (const Line &line : lines) {
            if (!text.isEmpty())
                text += QStringLiteral("  ") + QString(line.depth, QLatin1Char('\t'));
            text += QString::fromLatin1(line.text);
        }
        return text + QLatin1Char(' ');
    }();
    return body;
}
