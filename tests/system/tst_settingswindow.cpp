// The settings window in the running system, driven as a user drives it: opened from the
// main window's menu, edited page by page, saved into "_config.xml" and used by the
// audiogroups at once; CANCEL changes nothing; the test e-mail reaches the loopback mail
// server with what the SMTP page shows.
//
// The test functions run in order on one running system.
#include "SystemHarness.h"

#include <KivTest.h>
#include <MailTestUtil.h>
#include <TestConfigs.h>
#include <UserInput.h>

#include <AlarmThreshold.h>
#include <AlarmThresholdSet.h>
#include <AlertsAddContactDialog.h>
#include <AlertsSettings.h>
#include <AudioGroupsSettings.h>
#include <CancelOKButtons.h>
#include <GraphSettings.h>
#include <KIVAlertBox.h>
#include <KIVSettingsCategorySelector.h>
#include <KivPleaseWaitBox.h>
#include <KivUtils.h>
#include <NUVListWidget.h>
#include <QTSystemView.h>
#include <SettingsDialog.h>
#include <SettingsViewController.h>
#include <SmtpSimulator.h>
#include <SystemViewController.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>

#include <memory>

using namespace MailTestUtil;
using UserInput::clickCentre;

namespace {

const QString kStudio = QStringLiteral("Studio");
const QString kP1 = QStringLiteral("P1");
const QString kP2 = QStringLiteral("P2");
// Nothing listens there: a mail sent with the saved settings would not arrive.
constexpr int kDeadPort = 1;

QByteArray configFileBytes()
{
    QFile file(getDataFolderFilePath(QStringLiteral("_config.xml")));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

} // namespace

class TestSettingsWindow : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void opensOnGeneralAndCancelChangesNothing();
    void testEmailGoesWithTheShownSettings();
    void savedEditsReachTheFileAndTheAudiogroups();

private:
    SystemConfig systemConfig() const;
    QTSystemView *mainWindow() const;
    SettingsDialog *dialog() const;
    template <typename T> T *field(const char *name) const
    {
        auto *found = dialog()->findChild<T *>(QString::fromLatin1(name));
        Q_ASSERT(found);
        return found;
    }
    // From the main window's Edit menu, as the user opens it.
    bool openFromMenu();
    void showCategory(int category);
    AlarmThreshold *threshold(bool main) const;
    // Dismisses every alert box, as the user would.
    void closeAlertBoxes();
    bool waitUntilClosed() const;

    SystemHarness m_harness;
    std::unique_ptr<SimulatedMeter> m_meter;
    SmtpSimulator m_mail;
};

void TestSettingsWindow::initTestCase()
{
    if (!SimulatedMeter::canListenOnPort80())
        QSKIP("the meter cannot listen on port 80: not root, and not in a private network "
              "namespace (cmake/run-netns.sh)");
    SystemHarness::initGui();
    m_meter = std::make_unique<SimulatedMeter>(0);
    (*m_meter)->setInstrumentName(kStudio);
    (*m_meter)->setPassword(QStringLiteral("pw"));
    (*m_meter)->setAudioGroupNames({kP1, kP2});
    QVERIFY2(m_meter->listen(), qPrintable((*m_meter)->errorString()));
    QVERIFY(m_mail.listen());
    QVERIFY(m_harness.start(systemConfig()));
    QTRY_VERIFY_WITH_TIMEOUT(mainWindow() && mainWindow()->isVisible(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(storedTimestamps(getAgDbFilePath(kStudio, kP1)).size() > 20, 15000);
}

void TestSettingsWindow::cleanupTestCase()
{
    QVERIFY(m_harness.stop());
    m_meter.reset();
}

SystemConfig TestSettingsWindow::systemConfig() const
{
    SystemConfig config;
    config.setAcquisitionTimeout(2000);
    SMTPConfig smtp;
    smtp.setConnectionType(QStringLiteral("TCP"));
    smtp.setHost(QStringLiteral("127.0.0.1"));
    smtp.setPort(kDeadPort);
    smtp.setUser(QStringLiteral("kiv"));
    smtp.setSenderEmailAddress(QStringLiteral("kiv@example.org"));
    config.setSMTPConfig(smtp);
    config.setAlertContacts(
        {KivTest::contact(QStringLiteral("Ops Desk"), QStringLiteral("ops@example.org"))});
    InstrumentConfig studio(kStudio);
    studio.setIpAdr(QStringLiteral("http://") + m_meter->address());
    studio.setPass(QStringLiteral("pw"));
    studio.setConfigurationID((*m_meter)->configurationId());
    // The meter's true peak never exceeds 2 dBTP: P1 counts no true-peak violation at first.
    AgConfig p1(kP1);
    p1.setTPUpperThreshold(9.0);
    p1.setTPUpperSecondaryThreshold(9.0);
    studio.setAgConfigs({p1, AgConfig(kP2)});
    config.setInstruments({studio});
    return config;
}

QTSystemView *TestSettingsWindow::mainWindow() const
{
    RecordingSystem *system = m_harness.system();
    return system ? qobject_cast<QTSystemView *>(system->getSystemViewController()->getView())
                  : nullptr;
}

SettingsDialog *TestSettingsWindow::dialog() const
{
    return qobject_cast<SettingsDialog *>(
        m_harness.system()->getSettingsViewController()->getView());
}

bool TestSettingsWindow::openFromMenu()
{
    for (QAction *action : mainWindow()->findChildren<QAction *>()) {
        if (action->text() == QLatin1String("&Settings")) {
            action->trigger();
            return QTest::qWaitFor([this] { return dialog()->isVisible(); }, 5000) &&
                   // Filled: the first audiogroup's settings have come back.
                   QTest::qWaitFor(
                       [this] {
                           return !threshold(true)
                                       ->findChild<QLineEdit *>(QStringLiteral("tpLevelEdit"))
                                       ->text()
                                       .isEmpty();
                       },
                       5000);
        }
    }
    return false;
}

void TestSettingsWindow::showCategory(int category)
{
    clickCentre(dialog()->categorySelector()->categoryButton(category));
}

AlarmThreshold *TestSettingsWindow::threshold(bool main) const
{
    AlarmThresholdSet *set = dialog()->audioGroupsSettings()->getAlarmThresholdSet();
    return main ? set->getMainThreshold() : set->getSecondaryThreshold();
}

void TestSettingsWindow::closeAlertBoxes()
{
    // The alert is recorded on the controller's thread before its box opens, and the
    // please-wait box, modal too, goes after it.
    QTRY_VERIFY(!mainWindow()->getOpenAlertBoxes().isEmpty());
    QTRY_VERIFY(!dialog()->pleaseWaitBox()->isVisible());
    while (!mainWindow()->getOpenAlertBoxes().isEmpty()) {
        KIVAlertBox *box = mainWindow()->getOpenAlertBoxes().first();
        clickCentre(box->findChild<QPushButton *>(QStringLiteral("alertDismissButton")));
    }
}

bool TestSettingsWindow::waitUntilClosed() const
{
    return m_harness.waitForIdle() &&
           QTest::qWaitFor([this] { return !dialog()->isVisible(); }, 5000);
}

void TestSettingsWindow::opensOnGeneralAndCancelChangesNothing()
{
    const QByteArray stored = configFileBytes();
    QVERIFY(!stored.isEmpty());
    QVERIFY(openFromMenu());
    QCOMPARE(dialog()->pages()->currentIndex(), 0);
    QVERIFY(field<QCheckBox>("IPgmEndAlertsCheckbox")->isChecked());
    QCOMPARE(field<QLineEdit>("serverPortLineEdit")->text(), QString::number(kDeadPort));
    QListWidget *groups = dialog()->audioGroupsSettings()->getListWidget()->getListWidget();
    QCOMPARE(groups->count(), 2);

    // Edits on two pages, then CANCEL.
    UserInput::clickCheckBox(field<QCheckBox>("IPgmEndAlertsCheckbox"));
    showCategory(KIVSettingsCategorySelector::Reports);
    retype(field<QLineEdit>("companyNameLineEdit"), QStringLiteral("Discarded"));
    clickCentre(dialog()->cancelOKButtons()->cancelButton());
    QVERIFY(waitUntilClosed());
    QCOMPARE(configFileBytes(), stored);
    QVERIFY(m_harness.front()->getSystemConfig().getCheckIAtProgramEndOnly());
    QCOMPARE(m_harness.system()->alerts(), QStringList());

    // Opened again: the saved values, on GENERAL.
    QVERIFY(openFromMenu());
    QCOMPARE(dialog()->pages()->currentIndex(), 0);
    QVERIFY(field<QCheckBox>("IPgmEndAlertsCheckbox")->isChecked());
    QCOMPARE(field<QLineEdit>("companyNameLineEdit")->text(), QString());
    // Closed by the frame: the same as CANCEL.
    QVERIFY(!dialog()->close());
    QVERIFY(waitUntilClosed());
    QCOMPARE(configFileBytes(), stored);
}

void TestSettingsWindow::testEmailGoesWithTheShownSettings()
{
    QVERIFY(openFromMenu());
    showCategory(KIVSettingsCategorySelector::Smtp);
    // Not saved: only the page shows the mail server's port.
    retype(field<QLineEdit>("serverPortLineEdit"), QString::number(m_mail.port()));
    clickCentre(field<QPushButton>("testButton"));

    QTRY_COMPARE_WITH_TIMEOUT(m_mail.messageCount(), 1, 20000);
    const SmtpSimulator::Message message = m_mail.lastMessage();
    QVERIFY(message.accepted);
    QCOMPARE(message.mailFrom, QStringLiteral("kiv@example.org"));
    QCOMPARE(message.recipients, QStringList{"ops@example.org"});
    const Entity mail = parseEntity(message.data);
    QCOMPARE(decodeHeader(mail.header("Subject")), QStringLiteral("KIV test email"));
    const QList<QByteArray> parts =
        splitMultipart(mail.body, headerParameter(mail.header("Content-Type"), "boundary"));
    QCOMPARE(parts.size(), 2);
    const QString html = QString::fromUtf8(parseEntity(parts[0]).body);
    QVERIFY(html.contains(QStringLiteral("Valid SMTP settings")));
    QVERIFY(html.contains(QStringLiteral("src=\"cid:NUVLogo\"")));
    QCOMPARE(parseEntity(parts[1]).header("Content-ID"), QByteArray("<NUVLogo>"));

    // The button comes back once the request has left the queue; nothing was saved.
    QTRY_VERIFY_WITH_TIMEOUT(field<QPushButton>("testButton")->isEnabled(), 5000);
    clickCentre(dialog()->cancelOKButtons()->cancelButton());
    QVERIFY(waitUntilClosed());
    QCOMPARE(SystemHarness::storedConfig().getSMTPConfig().getPort(), kDeadPort);
}

void TestSettingsWindow::savedEditsReachTheFileAndTheAudiogroups()
{
    RecordingSystem *system = m_harness.system();
    auto truePeakViolations = [system] {
        return system->getSystemViewController()
            ->getSystemUIData()
            .getAgViolations(kStudio, kP1)
            .getTruePeakMainCount();
    };
    // Every violation alert lists the true peak; one judged by the new limit names it.
    auto newLimitAlerts = [system] {
        return system->raisedAlerts()
            .filter(QStringLiteral("TP: "))
            .filter(QStringLiteral("Threshold main: -18"))
            .size();
    };
    QCOMPARE(truePeakViolations(), 0);
    QCOMPARE(newLimitAlerts(), 0);

    QVERIFY(openFromMenu());
    UserInput::clickCheckBox(field<QCheckBox>("IPgmEndAlertsCheckbox"));

    // P1's true-peak limit down to -18 dBTP, which the meter's true peak nearly always crosses.
    showCategory(KIVSettingsCategorySelector::AudioGroups);
    QLineEdit *mainTruePeak = threshold(true)->findChild<QLineEdit *>(QStringLiteral("tpLevelEdit"));
    retype(mainTruePeak, QStringLiteral("-18"));

    showCategory(KIVSettingsCategorySelector::Alerts);
    UserInput::clickCheckBox(field<QCheckBox>("enableAlertsCheckBox"));
    clickCentre(dialog()->alertsSettings()->findChild<QPushButton *>(QStringLiteral("okButton")));
    AlertsAddContactDialog *add = dialog()->alertsSettings()->getAddContactDialog();
    QTRY_VERIFY(add->isVisible());
    QTest::keyClicks(add->findChild<QLineEdit *>(QStringLiteral("firstNameLineEdit_2")),
                     QStringLiteral("Night"));
    QTest::keyClicks(add->findChild<QLineEdit *>(QStringLiteral("lastNameLineEdit_2")),
                     QStringLiteral("Shift"));
    QTest::keyClicks(add->findChild<QLineEdit *>(QStringLiteral("emailAddressLineEdit_2")),
                     QStringLiteral("night@example.org"));
    clickCentre(add->findChild<QPushButton *>(QStringLiteral("okButton")));
    QListWidget *contacts = dialog()->alertsSettings()->getListWidget()->getListWidget();
    QTRY_COMPARE(contacts->count(), 2);

    showCategory(KIVSettingsCategorySelector::Smtp);
    retype(field<QLineEdit>("serverPortLineEdit"), QString::number(m_mail.port()));
    retype(field<QLineEdit>("emailFromLineEdit"), QStringLiteral("kiv@"));
    showCategory(KIVSettingsCategorySelector::Reports);
    retype(field<QLineEdit>("companyNameLineEdit"), QStringLiteral("Loopback Broadcasting"));
    retype(field<QLineEdit>("companyAddress2"), QStringLiteral(" Testville "));
    showCategory(KIVSettingsCategorySelector::Graph);
    UserInput::clickCheckBox(field<QCheckBox>("HideProgramIdCheckbox"));
    dialog()->graphSettings()->rangeComboBox(6)->setCurrentIndex(15);

    // Each refusal shows the validator's words; the window stays with the edits.
    const QString stored = QString::fromUtf8(configFileBytes());
    clickCentre(dialog()->cancelOKButtons()->okButton());
    const QString truePeakOrder =
        QStringLiteral("Error\nInstrument: Studio. Invalid TruePeak value in AudioGroup: P1");
    QVERIFY(m_harness.waitForAlert(truePeakOrder));
    closeAlertBoxes();
    QVERIFY(dialog()->isVisible());
    showCategory(KIVSettingsCategorySelector::AudioGroups);
    QCOMPARE(mainTruePeak->text(), QStringLiteral("-18"));
    // The secondary limit may not lie above the main one.
    clickCentre(dialog()->audioGroupsSettings()->findChild<QPushButton *>(
        QStringLiteral("secondaryThresholdButton")));
    retype(threshold(false)->findChild<QLineEdit *>(QStringLiteral("tpLevelEdit")),
           QStringLiteral("-18"));

    clickCentre(dialog()->cancelOKButtons()->okButton());
    QVERIFY2(m_harness.waitForAlert(QStringLiteral("Invalid sender email address.")),
             qPrintable(system->alerts().join(QLatin1Char('|'))));
    closeAlertBoxes();
    QVERIFY(dialog()->isVisible());
    QCOMPARE(QString::fromUtf8(configFileBytes()), stored);
    showCategory(KIVSettingsCategorySelector::Smtp);
    QCOMPARE(field<QLineEdit>("emailFromLineEdit")->text(), QStringLiteral("kiv@"));
    retype(field<QLineEdit>("emailFromLineEdit"), QStringLiteral("kiv@example.org"));

    clickCentre(dialog()->cancelOKButtons()->okButton());
    QVERIFY(m_harness.waitForAlert(QStringLiteral("Settings changed successfully.")));
    QVERIFY(waitUntilClosed());
    closeAlertBoxes();

    // Read back from the file.
    const SystemConfig saved = SystemHarness::storedConfig();
    QVERIFY(!saved.getCheckIAtProgramEndOnly());
    const AgConfig p1 = saved.getAgConfig(kStudio, kP1);
    QCOMPARE(p1.getTPUpperThreshold(), -18.0);
    QCOMPARE(p1.getTPUpperSecondaryThreshold(), -18.0);
    QCOMPARE(p1.getMUpperThreshold(), 8.0);
    QCOMPARE(p1.getTPCountMainThreshold(), 1);
    QCOMPARE(saved.getAgConfig(kStudio, kP2).getTPUpperThreshold(), -3.0);
    QVERIFY(saved.getAlertsEnabled());
    QCOMPARE(saved.getAlertContacts().size(), 2);
    QCOMPARE(saved.getAlertContacts().at(1).getName(), QStringLiteral("Night Shift"));
    QCOMPARE(saved.getAlertContacts().at(1).getEmail(), QStringLiteral("night@example.org"));
    QCOMPARE(saved.getSMTPConfig().getPort(), int(m_mail.port()));
    QCOMPARE(saved.getSMTPConfig().getSenderEmailAddress(), QStringLiteral("kiv@example.org"));
    QCOMPARE(saved.getReportConfig().getCompanyName(), QStringLiteral("Loopback Broadcasting"));
    QCOMPARE(saved.getReportConfig().getCompanyAddress2(), QStringLiteral(" Testville "));
    QVERIFY(saved.getHideProgramId());
    QCOMPARE(saved.getRangeSettings(), QList<int>({0, 2, 3, 7, 9, 11, 15}));

    // The running audiogroup judges by the new limit: counted and raised as alerts.
    QTRY_VERIFY_WITH_TIMEOUT(truePeakViolations() > 0, 20000);
    // Samples from before the save may still be judged by the old limit; one by the new.
    QTRY_VERIFY_WITH_TIMEOUT(newLimitAlerts() > 0, 30000);
    QCOMPARE(gapsOrDuplicates(getAgDbFilePath(kStudio, kP1)), QString());
}

KIV_TEST_MAIN(TestSettingsWindow, QApplication)
#include "tst_settingswindow.moc"
