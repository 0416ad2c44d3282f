// The settings controller with its real window: filling, what Save and the test e-mail take
// from the pages, and the edits of the working copy. The system is a recording fake.
#include <FakeSystem.h>
#include <KivTest.h>
#include <TestConfigs.h>
#include <UserInput.h>

#include <AlarmThreshold.h>
#include <AlarmThresholdSet.h>
#include <AlertsAddContactDialog.h>
#include <AlertsSettings.h>
#include <AudioGroupsSettings.h>
#include <CancelOKButtons.h>
#include <GraphSettings.h>
#include <KIVSettingsCategorySelector.h>
#include <NUVListWidget.h>
#include <SettingsDialog.h>
#include <SettingsViewController.h>
#include <SmtpSettings.h>

#include <ConfigMetaTypes.h>
#include <GUIFactory.h>
#include <SMTPTestController.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>

#include <memory>

using KivTest::contact;

namespace {

const QString kNoContact = QStringLiteral(
    "Could not send test email because there is no contact defined in alert contacts settings");
const QString kBusy =
    QStringLiteral("Could not send test email because there is another one in progress.");

// Records the configuration the controller holds at the moment Save is posted.
class SavingSystem : public FakeSystem
{
public:
    int saveSettings() override
    {
        if (controller)
            atSave.append(controller->getSystemConfig());
        return FakeSystem::saveSettings();
    }

    SettingsViewController *controller = nullptr;
    QList<SystemConfig> atSave;
};

SystemConfig storedConfig()
{
    SystemConfig config;
    config.setAlertsEnabled(true);
    config.setCheckIAtProgramEndOnly(true);
    config.setHideProgramId(false);
    config.setRangeSettings({0, 1, 2, 3, 4, 5, 6});
    SMTPConfig smtp;
    smtp.setConnectionType(QStringLiteral("TCP"));
    smtp.setHost(QStringLiteral("saved.example.com"));
    smtp.setPort(2525);
    smtp.setUser(QStringLiteral("kiv"));
    smtp.setSenderEmailAddress(QStringLiteral("kiv@example.com"));
    config.setSMTPConfig(smtp);
    ReportConfig report;
    report.setCompanyName(QStringLiteral("Loopback Broadcasting"));
    config.setReportConfig(report);
    config.setAlertContacts({contact(QStringLiteral("Ann Lee"), QStringLiteral("ann@example.com")),
                             contact(QStringLiteral("Bob Stone"), QStringLiteral("bob@example"))});
    for (const QString &device : {QStringLiteral("Studio B"), QStringLiteral("Studio A")}) {
        InstrumentConfig instrument(device);
        AgConfig p1 = KivTest::thresholds();
        p1.setName(QStringLiteral("P1"));
        AgConfig p2 = KivTest::thresholds();
        p2.setName(QStringLiteral("P2"));
        instrument.setAgConfigs({p2, p1});
        config.addOrUpdateInstrument(instrument);
    }
    return config;
}

template <typename T> T *child(QWidget *parent, const char *name)
{
    auto *found = parent->findChild<T *>(QString::fromLatin1(name));
    Q_ASSERT(found);
    return found;
}

void retype(QLineEdit *edit, const QString &text)
{
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

} // namespace

class TestSettingsController : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void opensFilledAndKeepsEditsWhileOpen();
    void saveTakesWhatThePagesShow();
    void cancelAndCloseDiscard();
    void workingCopyEdits();
    void contactChangesKeepWhatThePageShows();
    void testEmail_data();
    void testEmail();
    void testEmailWhileOneWaits();
    void initFailsWithoutSettingsWindow();

private:
    // Opens the window as the settings operation does and waits until it is filled.
    void open();
    void showCategory(int category);

    std::unique_ptr<SavingSystem> m_system;
    std::unique_ptr<SMTPTestController> m_smtp;
    std::unique_ptr<SettingsViewController> m_controller;
    SettingsDialog *m_dialog = nullptr;
};

void TestSettingsController::initTestCase()
{
    registerConfigMetaTypes();
    qRegisterMetaType<AGSettingsListModelItem>("AGSettingsListModelItem");
    qRegisterMetaType<QList<AGSettingsListModelItem>>("QList<AGSettingsListModelItem>");
    qRegisterMetaType<AgConfig>("AgConfig");
    SettingsDialog::registerCreator();
}

void TestSettingsController::init()
{
    m_system = std::make_unique<SavingSystem>();
    m_smtp = std::make_unique<SMTPTestController>();
    FakeSystem::Objects objects;
    objects.smtpTestController = m_smtp.get();
    m_system->setObjects(objects);
    m_system->setCurrentConfig(storedConfig());
    m_controller = std::make_unique<SettingsViewController>();
    m_system->controller = m_controller.get();
    QCOMPARE(m_controller->init(), 0);
    m_dialog = qobject_cast<SettingsDialog *>(m_controller->getView());
    QVERIFY(m_dialog);
}

void TestSettingsController::cleanup()
{
    m_controller.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_dialog = nullptr;
    m_smtp.reset();
    m_system.reset();
}

void TestSettingsController::open()
{
    m_controller->start();
    QTRY_VERIFY(m_dialog->isVisible());
    // The first audiogroup's settings come back through the controller.
    QTRY_VERIFY(!child<QLineEdit>(m_dialog->audioGroupsSettings()->getAlarmThresholdSet()
                                      ->getMainThreshold(),
                                  "tpLevelEdit")
                     ->text()
                     .isEmpty());
}

void TestSettingsController::showCategory(int category)
{
    UserInput::clickCentre(m_dialog->categorySelector()->categoryButton(category));
}

void TestSettingsController::opensFilledAndKeepsEditsWhileOpen()
{
    open();
    QCOMPARE(m_dialog->pages()->currentIndex(), 0);
    QVERIFY(child<QCheckBox>(m_dialog, "IPgmEndAlertsCheckbox")->isChecked());
    // Device by device, audiogroup by audiogroup, in name order.
    QListWidget *list = m_dialog->audioGroupsSettings()->getListWidget()->getListWidget();
    QCOMPARE(list->count(), 4);
    QCOMPARE(list->itemWidget(list->item(1))->toolTip(), QStringLiteral("Studio A P2"));
    QCOMPARE(list->itemWidget(list->item(2))->toolTip(), QStringLiteral("Studio B P1"));
    QCOMPARE(m_dialog->alertsSettings()->getListWidget()->getListWidget()->count(), 2);
    QCOMPARE(child<QLineEdit>(m_dialog, "serverAddressLineEdit")->text(),
             QStringLiteral("saved.example.com"));
    QCOMPARE(child<QComboBox>(m_dialog, "connectionComboBox")->currentText(), QStringLiteral("TCP"));
    QCOMPARE(child<QLineEdit>(m_dialog, "companyNameLineEdit")->text(),
             QStringLiteral("Loopback Broadcasting"));
    QCOMPARE(m_dialog->graphSettings()->rangeValues(), QList<int>({0, 1, 2, 3, 4, 5, 6}));

    // The operation calls start again and again while the window is open: the edits stay.
    showCategory(KIVSettingsCategorySelector::Reports);
    retype(child<QLineEdit>(m_dialog, "companyNameLineEdit"), QStringLiteral("Night Desk"));
    SystemConfig changed = storedConfig();
    changed.setHideProgramId(true);
    m_system->setCurrentConfig(changed);
    for (int i = 0; i < 3; ++i)
        m_controller->start();
    QCoreApplication::processEvents();
    QCOMPARE(child<QLineEdit>(m_dialog, "companyNameLineEdit")->text(), QStringLiteral("Night Desk"));
    QCOMPARE(m_dialog->pages()->currentIndex(), int(KIVSettingsCategorySelector::Reports));
    QVERIFY(!m_controller->getSystemConfig().getHideProgramId());
}

void TestSettingsController::saveTakesWhatThePagesShow()
{
    open();
    // One edit on every page, none of them handed over before OK.
    UserInput::clickCheckBox(child<QCheckBox>(m_dialog, "IPgmEndAlertsCheckbox"));
    showCategory(KIVSettingsCategorySelector::AudioGroups);
    AlarmThresholdSet *set = m_dialog->audioGroupsSettings()->getAlarmThresholdSet();
    retype(child<QLineEdit>(set->getMainThreshold(), "tpLevelEdit"), QStringLiteral("-5.5"));
    showCategory(KIVSettingsCategorySelector::Alerts);
    QListWidget *contacts = m_dialog->alertsSettings()->getListWidget()->getListWidget();
    retype(child<QLineEdit>(contacts->itemWidget(contacts->item(1)), "emailAddressLineEdit"),
           QStringLiteral("bob@example.org"));
    showCategory(KIVSettingsCategorySelector::Smtp);
    retype(child<QLineEdit>(m_dialog, "serverPortLineEdit"), QStringLiteral("587"));
    showCategory(KIVSettingsCategorySelector::Reports);
    retype(child<QLineEdit>(m_dialog, "companyAddress2"), QStringLiteral("Testville"));
    showCategory(KIVSettingsCategorySelector::Graph);
    m_dialog->graphSettings()->rangeComboBox(2)->setCurrentIndex(15);
    QCOMPARE(m_controller->getSystemConfig().getSMTPConfig().getPort(), 2525);

    UserInput::clickCentre(m_dialog->cancelOKButtons()->okButton());
    QCOMPARE(m_system->callCount(QStringLiteral("saveSettings")), 1);
    QCOMPARE(m_system->atSave.size(), 1);
    const SystemConfig saved = m_system->atSave.at(0);
    QVERIFY(!saved.getCheckIAtProgramEndOnly());
    QCOMPARE(saved.getAgConfig(QStringLiteral("Studio A"), QStringLiteral("P1")).getTPUpperThreshold(),
             -5.5);
    QCOMPARE(saved.getAgConfig(QStringLiteral("Studio A"), QStringLiteral("P2")).getTPUpperThreshold(),
             -3.0);
    QCOMPARE(saved.getAlertContacts().at(1).getEmail(), QStringLiteral("bob@example.org"));
    QCOMPARE(saved.getSMTPConfig().getPort(), 587);
    QCOMPARE(saved.getSMTPConfig().getHost(), QStringLiteral("saved.example.com"));
    QCOMPARE(saved.getReportConfig().getCompanyAddress2(), QStringLiteral("Testville"));
    QCOMPARE(saved.getReportConfig().getCompanyName(), QStringLiteral("Loopback Broadcasting"));
    QCOMPARE(saved.getRangeSettings(), QList<int>({0, 1, 15, 3, 4, 5, 6}));
    // OK does not close the window: the operation does once it has saved.
    QVERIFY(m_dialog->isVisible());
    m_controller->stop();
    QTRY_VERIFY(!m_dialog->isVisible());
}

void TestSettingsController::cancelAndCloseDiscard()
{
    open();
    showCategory(KIVSettingsCategorySelector::Smtp);
    retype(child<QLineEdit>(m_dialog, "serverAddressLineEdit"), QStringLiteral("edited.example"));
    UserInput::clickCentre(m_dialog->cancelOKButtons()->cancelButton());
    QVERIFY(!m_dialog->close());
    QCOMPARE(m_system->callCount(QStringLiteral("cancelSettings")), 2);
    QCOMPARE(m_system->callCount(QStringLiteral("saveSettings")), 0);
    QCOMPARE(m_controller->getSystemConfig().getSMTPConfig().getHost(),
             QStringLiteral("saved.example.com"));

    // The operation closes the window; the next opening shows the saved values.
    m_controller->stop();
    QTRY_VERIFY(!m_dialog->isVisible());
    open();
    QCOMPARE(m_dialog->pages()->currentIndex(), 0);
    QCOMPARE(child<QLineEdit>(m_dialog, "serverAddressLineEdit")->text(),
             QStringLiteral("saved.example.com"));
}

void TestSettingsController::workingCopyEdits()
{
    open();
    SettingsViewController &c = *m_controller;
    const SystemConfig before = c.getSystemConfig();
    QSignalSpy alertUpdates(&c, &SettingsViewController::updateAlertsSettingsSubview);

    // Audiogroups the copy does not hold are ignored.
    AgConfig unknown = KivTest::thresholds();
    unknown.setName(QStringLiteral("P9"));
    unknown.setTPUpperThreshold(-9.0);
    c.onAudioGroupSettingsChanged(unknown, QStringLiteral("Studio A"));
    unknown.setName(QStringLiteral("P1"));
    c.onAudioGroupSettingsChanged(unknown, QStringLiteral("Studio C"));
    c.onAudioGroupSettingsChanged(unknown, QString());
    QCOMPARE(c.getSystemConfig().getAgConfigCount(), 4);
    QCOMPARE(c.getSystemConfig().getAgConfig(QStringLiteral("Studio A"), QStringLiteral("P1"))
                 .getTPUpperThreshold(),
             -3.0);
    // A held one is replaced, its device's other audiogroups stay.
    c.onAudioGroupSettingsChanged(unknown, QStringLiteral("Studio A"));
    QCOMPARE(c.getSystemConfig().getAgConfig(QStringLiteral("Studio A"), QStringLiteral("P1"))
                 .getTPUpperThreshold(),
             -9.0);
    QCOMPARE(c.getSystemConfig().getAgConfigCount(), 4);

    // An empty contact list keeps the contacts; the switch is taken.
    c.onAlertSettingsChanged(false, {});
    QVERIFY(!c.getSystemConfig().getAlertsEnabled());
    QCOMPARE(c.getSystemConfig().getAlertContacts().size(), 2);
    // The same name replaces the contact; removal takes the first of that name. Each
    // redraws the page from the copy.
    // They arrive from the page one user action at a time, each after the last redraw.
    c.onAddAlertContact(contact(QStringLiteral("Ann Lee"), QStringLiteral("ann@example.org")));
    QCoreApplication::processEvents();
    c.onAddAlertContact(contact(QStringLiteral("Cy Young"), QStringLiteral("cy@example.org")));
    QCoreApplication::processEvents();
    c.onRemoveAlertContact(QStringLiteral("Bob Stone"));
    QCoreApplication::processEvents();
    c.onRemoveAlertContact(QStringLiteral("Nobody"));
    const QList<AlertContactConfig> contacts = c.getSystemConfig().getAlertContacts();
    QCOMPARE(contacts.size(), 2);
    QCOMPARE(contacts.at(0).getEmail(), QStringLiteral("ann@example.org"));
    QCOMPARE(contacts.at(1).getName(), QStringLiteral("Cy Young"));
    QCOMPARE(alertUpdates.count(), 4);
    QCOMPARE(alertUpdates.last().at(1).value<QList<AlertContactConfig>>().size(), 2);
    QTRY_COMPARE(m_dialog->alertsSettings()->getListWidget()->getListWidget()->count(), 2);

    // A short range list is padded to seven.
    c.onGraphSettingsDidChange(true, {3, 4});
    QCOMPARE(c.getSystemConfig().getRangeSettings(), QList<int>({3, 4, 0, 0, 0, 0, 0}));
    QVERIFY(c.getSystemConfig().getHideProgramId());
    QCOMPARE(before.getRangeSettings(), QList<int>({0, 1, 2, 3, 4, 5, 6}));
}

void TestSettingsController::contactChangesKeepWhatThePageShows()
{
    SystemConfig config = storedConfig();
    config.setAlertsEnabled(false);
    m_system->setCurrentConfig(config);
    open();
    showCategory(KIVSettingsCategorySelector::Alerts);
    AlertsSettings *page = m_dialog->alertsSettings();
    QListWidget *list = page->getListWidget()->getListWidget();
    auto rowEmail = [list](int row) {
        return child<QLineEdit>(list->itemWidget(list->item(row)), "emailAddressLineEdit");
    };
    // Shown, not yet handed over: the switch and an address edited in its row.
    UserInput::clickCheckBox(child<QCheckBox>(page, "enableAlertsCheckBox"));
    retype(rowEmail(1), QStringLiteral("bob@example.org"));

    UserInput::clickCentre(child<QPushButton>(page, "okButton"));
    AlertsAddContactDialog *add = page->getAddContactDialog();
    QTest::keyClicks(child<QLineEdit>(add, "firstNameLineEdit_2"), QStringLiteral("Cy"));
    QTest::keyClicks(child<QLineEdit>(add, "lastNameLineEdit_2"), QStringLiteral("Young"));
    QTest::keyClicks(child<QLineEdit>(add, "emailAddressLineEdit_2"),
                     QStringLiteral("cy@example.org"));
    UserInput::clickCentre(child<QPushButton>(add, "okButton"));
    QTRY_COMPARE(list->count(), 3);
    QVERIFY(child<QCheckBox>(page, "enableAlertsCheckBox")->isChecked());
    QCOMPARE(rowEmail(1)->text(), QStringLiteral("bob@example.org"));
    QCOMPARE(rowEmail(2)->text(), QStringLiteral("cy@example.org"));

    // The same after a removal.
    retype(rowEmail(2), QStringLiteral("cy@example.com"));
    UserInput::clickCentre(list->itemWidget(list->item(0))->findChild<QPushButton *>(
        QStringLiteral("pushButton")));
    QTRY_COMPARE(list->count(), 2);
    QCOMPARE(rowEmail(0)->text(), QStringLiteral("bob@example.org"));
    QCOMPARE(rowEmail(1)->text(), QStringLiteral("cy@example.com"));
    QVERIFY(child<QCheckBox>(page, "enableAlertsCheckBox")->isChecked());
    QVERIFY(m_controller->getSystemConfig().getAlertsEnabled());
}

void TestSettingsController::testEmail_data()
{
    QTest::addColumn<QList<AlertContactConfig>>("contacts");
    QTest::addColumn<bool>("alertsEnabled");
    QTest::addColumn<QStringList>("recipients");
    QTest::addColumn<QString>("alert");

    QTest::newRow("no contact") << QList<AlertContactConfig>() << true << QStringList()
                                << kNoContact;
    QTest::newRow("no valid contact")
        << QList<AlertContactConfig>{contact(QStringLiteral("Ann Lee"), QStringLiteral("ann@x"))}
        << true << QStringList() << kNoContact;
    QTest::newRow("three contacts, one invalid")
        << QList<AlertContactConfig>{contact(QStringLiteral("Ann Lee"),
                                             QStringLiteral("ann@example.com")),
                                     contact(QStringLiteral("Bob Stone"), QStringLiteral("bob@")),
                                     contact(QStringLiteral("Cy Young"),
                                             QStringLiteral("cy@example.org"))}
        << true << QStringList({"Ann Lee <ann@example.com>", "Cy Young <cy@example.org>"})
        << QString();
    QTest::newRow("alerts disabled")
        << QList<AlertContactConfig>{contact(QStringLiteral("Ann Lee"),
                                             QStringLiteral("ann@example.com"))}
        << false << QStringList({"Ann Lee <ann@example.com>"}) << QString();
}

void TestSettingsController::testEmail()
{
    QFETCH(QList<AlertContactConfig>, contacts);
    QFETCH(bool, alertsEnabled);
    QFETCH(QStringList, recipients);
    QFETCH(QString, alert);

    SystemConfig config = storedConfig();
    config.setAlertContacts(contacts);
    config.setAlertsEnabled(alertsEnabled);
    m_system->setCurrentConfig(config);
    open();
    // The SMTP page's values as shown, not as saved.
    showCategory(KIVSettingsCategorySelector::Smtp);
    retype(child<QLineEdit>(m_dialog, "serverAddressLineEdit"), QStringLiteral("127.0.0.1"));
    child<QComboBox>(m_dialog, "connectionComboBox")->setCurrentIndex(0);
    m_system->clearCalls();
    UserInput::clickCentre(child<QPushButton>(m_dialog, "testButton"));

    QCOMPARE(m_system->callCount(QStringLiteral("showAlert")), alert.isEmpty() ? 0 : 1);
    if (!alert.isEmpty())
        QCOMPARE(m_system->lastCall(QStringLiteral("showAlert")).args.value(0).toString(), alert);
    QStringList sent;
    QList<SMTPRequest> requests;
    for (int result = 0; result == 0;) {
        const SMTPRequest request = m_smtp->takeRequest(result);
        if (result == 0)
            requests.prepend(request); // newest first
    }
    for (const SMTPRequest &request : requests) {
        sent << QStringLiteral("%1 <%2>").arg(request.getRecipientName(),
                                               request.getRecipientAddress());
        QCOMPARE(request.getSubject(), QStringLiteral("KIV test email"));
        QCOMPARE(request.getSenderAddress(), QStringLiteral("kiv@example.com"));
        QCOMPARE(request.getSenderName(), QStringLiteral("kiv"));
        QCOMPARE(request.getSmtpConfig().getHost(), QStringLiteral("127.0.0.1"));
        QCOMPARE(request.getSmtpConfig().getConnectionType(), QStringLiteral("SSL"));
        QCOMPARE(request.getSmtpConfig().getPort(), 2525);
        QCOMPARE(request.getBody(), SettingsViewController::testEmailBody());
    }
    QCOMPARE(sent, recipients);
    // Nothing is saved by a test.
    QCOMPARE(m_system->callCount(QStringLiteral("saveSettings")), 0);
}

void TestSettingsController::testEmailWhileOneWaits()
{
    open();
    showCategory(KIVSettingsCategorySelector::Smtp);
    auto *button = child<QPushButton>(m_dialog, "testButton");
    UserInput::clickCentre(button);
    QVERIFY(m_smtp->hasRequests());
    // The update timer disables the button while the request waits.
    QTRY_VERIFY_WITH_TIMEOUT(!button->isEnabled(), 3000);
    QVERIFY(child<QWidget>(m_dialog, "testButtonInfo")->isVisible());

    // A second test (here through the controller, the button being disabled) is refused.
    m_system->clearCalls();
    m_controller->onTestSMTPSettingsButtonClick();
    QCOMPARE(m_system->callCount(QStringLiteral("showAlert")), 1);
    QCOMPARE(m_system->lastCall(QStringLiteral("showAlert")).args.value(0).toString(), kBusy);

    int result = 0;
    m_smtp->takeRequest(result);
    QCOMPARE(result, 0);
    QVERIFY(!m_smtp->hasRequests());
    QTRY_VERIFY_WITH_TIMEOUT(button->isEnabled(), 3000);
    QVERIFY(!child<QWidget>(m_dialog, "testButtonInfo")->isVisible());
}

void TestSettingsController::initFailsWithoutSettingsWindow()
{
    GUIFactory *factory = GUIFactory::getInstance();
    factory->registerViewCreator(kViewTypeSettings, [](ViewType) -> AView * { return nullptr; });
    SettingsViewController controller;
    QCOMPARE(controller.init(), -1);
    QCOMPARE(controller.getView(), nullptr);
    SettingsDialog::registerCreator();
}

KIV_TEST_MAIN(TestSettingsController, QApplication)
#include "tst_settingscontroller.moc"
