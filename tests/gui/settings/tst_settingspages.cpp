// The settings window's pages and the window itself, driven as a user drives them.
#include <FakeSystem.h>
#include <GuiShots.h>
#include <KivTest.h>
#include <TestConfigs.h>
#include <UserInput.h>

#include <AgSettingsListItem.h>
#include <AlarmThreshold.h>
#include <AlarmThresholdSet.h>
#include <AlertsAddContactDialog.h>
#include <AlertsSettings.h>
#include <AudioGroupsSettings.h>
#include <CancelOKButtons.h>
#include <GeneralSettings.h>
#include <GraphSettings.h>
#include <KIVSettingsCategorySelector.h>
#include <KivPleaseWaitBox.h>
#include <NUVListWidget.h>
#include <ReportSettingsPage.h>
#include <SettingsDialog.h>
#include <SmtpSettings.h>

#include <ConfigMetaTypes.h>
#include <ConfigReflection.h>
#include <XMLTag.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStackedWidget>

#include <memory>

namespace {

// Every element of an audiogroup's settings, as the configuration file writes them.
QString elementsOf(const AgConfig &config)
{
    XMLTag tag(QStringLiteral("Test"));
    appendObjectElement(config, QStringLiteral("AgConfig"), tag);
    return config.getName() + QLatin1Char('\n') + tag.toString();
}

// The value of the element's getter ("get" + element).
QVariant elementValue(const QObject &object, const QString &element)
{
    const QMetaObject *meta = object.metaObject();
    const int index = meta->indexOfMethod(("get" + element + "()").toLatin1().constData());
    if (index < 0)
        return QVariant();
    const QMetaMethod getter = meta->method(index);
    QVariant value(getter.returnType(), nullptr);
    getter.invoke(const_cast<QObject *>(&object), Qt::DirectConnection,
                  QGenericReturnArgument(getter.typeName(), value.data()));
    return value;
}

QLineEdit *edit(QWidget *parent, const char *name)
{
    auto *found = parent->findChild<QLineEdit *>(QString::fromLatin1(name));
    Q_ASSERT(found);
    return found;
}

// Types into an edit as a user does, replacing its text.
void retype(QLineEdit *edit, const QString &text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}

// An audiogroup with a different value in every element the page edits, and some it does
// not edit.
AgConfig distinctConfig()
{
    AgConfig c(QStringLiteral("P7"));
    c.setLoudnessMode(QStringLiteral("EBU"));
    c.setLoudnessUnit(QStringLiteral("LU"));
    c.setTargetLoudness(-23.0);
    c.setHasLoggingEnabled(true);
    c.setImported(true);
    c.setIUpperThreshold(2.5);
    c.setIUpperSecondaryThreshold(1.5);
    c.setILowerThreshold(-2.5);
    c.setILowerSecondaryThreshold(-1.5);
    c.setMUpperThreshold(7.5);
    c.setMUpperSecondaryThreshold(6.5);
    c.setSUpperThreshold(4.5);
    c.setSUpperSecondaryThreshold(3.5);
    c.setTPUpperThreshold(-1.5);
    c.setTPUpperSecondaryThreshold(-23.25);
    c.setIUpperCountMainThreshold(11);
    c.setIUpperCountSecondaryThreshold(12);
    c.setILowerCountMainThreshold(13);
    c.setILowerCountSecondaryThreshold(14);
    c.setMCountMainThreshold(15);
    c.setMCountSecondaryThreshold(16);
    c.setSCountMainThreshold(17);
    c.setSCountSecondaryThreshold(18);
    c.setTPCountMainThreshold(19);
    c.setTPCountSecondaryThreshold(20);
    c.setMainThresholdActiveState(false);
    c.setSecondaryThresholdActiveState(true);
    c.setAlertsEnabled(false);
    c.setAutoreconnect(true);
    return c;
}

// Stands in for the controller of the audiogroup page: answers a selection with the held
// configuration and keeps the edits handed back.
struct AudiogroupController
{
    explicit AudiogroupController(AudioGroupsSettings &page) : page(page)
    {
        QObject::connect(&page, &AudioGroupsSettings::AudioGroupSelected, &page,
                         [this](const QString &instrument, const QString &group) {
                             events << QStringLiteral("selected %1/%2").arg(instrument, group);
                             this->page.onPopulateAudioGroupSettings(
                                 configs.value(instrument + QLatin1Char('/') + group),
                                 instrument);
                         });
        QObject::connect(&page, &AudioGroupsSettings::AgSettingsDidChange, &page,
                         [this](const AgConfig &config, const QString &instrument) {
                             events << QStringLiteral("changed %1/%2 TP %3")
                                           .arg(instrument, config.getName())
                                           .arg(config.getTPUpperThreshold());
                             const QString key = instrument + QLatin1Char('/') + config.getName();
                             if (configs.contains(key))
                                 configs[key] = config;
                         });
    }

    AudioGroupsSettings &page;
    QMap<QString, AgConfig> configs;
    QStringList events;
};

} // namespace

class TestSettingsPages : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void thresholdEditsRefuseKeystrokes_data();
    void thresholdEditsRefuseKeystrokes();
    void fieldsWithoutNumberReadBackAsDefault_data();
    void fieldsWithoutNumberReadBackAsDefault();
    void everyElementRoundTrips();
    void clearAndFillKeepTheOpenPage();
    void audiogroupListHandsEditsBackBeforeSelecting();
    void audiogroupRowsShortenLongNames();
    void addContactDialog_data();
    void addContactDialog();
    void alertsPageReportsWhatItShows();
    void smtpPageShowsAndReportsItsFields();
    void smtpTestButtonBusyDisplay();
    void graphRangesStayDistinct_data();
    void graphRangesStayDistinct();
    void generalAndReportPagesReportAsShown();
    void windowOpensOnGeneralAndRelays();

private:
    FakeSystem m_fake;
};

void TestSettingsPages::initTestCase()
{
    registerConfigMetaTypes();
}

void TestSettingsPages::thresholdEditsRefuseKeystrokes_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    QTest::newRow("four digits") << "tpLevelEdit" << "1000" << "100";
    QTest::newRow("two decimals") << "tpLevelEdit" << "1.25" << "1.2";
    QTest::newRow("three digits and a decimal") << "mMaxEdit" << "123.4" << "123";
    QTest::newRow("plus sign") << "loudMaxEdit" << "+1" << "1";
    QTest::newRow("letter") << "sMinEdit" << "a5" << "5";
    QTest::newRow("whole hundreds") << "loudMinEdit" << "100" << "100";
    QTest::newRow("lowest whole") << "tpLevelEdit" << "-999" << "-999";
    QTest::newRow("lowest decimal") << "tpLevelEdit" << "-99.9" << "-99.9";
    QTest::newRow("second minus") << "tpLevelEdit" << "-1-" << "-1";
    QTest::newRow("count zero") << "tpCountEdit" << "0" << "0";
    QTest::newRow("count 999") << "mCountEdit" << "999" << "999";
    QTest::newRow("count fourth digit") << "loudCount1Edit" << "1234" << "123";
    QTest::newRow("count sign") << "loudCount2Edit" << "-5" << "5";
    QTest::newRow("count point") << "sCountEdit" << "1.5" << "15";
}

void TestSettingsPages::thresholdEditsRefuseKeystrokes()
{
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    AlarmThreshold threshold(nullptr);
    threshold.show();
    QLineEdit *target = edit(&threshold, field.toLatin1().constData());
    retype(target, typed);
    QCOMPARE(target->text(), shown);
}

void TestSettingsPages::fieldsWithoutNumberReadBackAsDefault_data()
{
    QTest::addColumn<bool>("secondary");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shownAfter");
    QTest::addColumn<QString>("element");
    QTest::addColumn<double>("stored");

    QTest::newRow("TP lone minus") << false << "tpLevelEdit" << "-" << "-3"
                                   << "TPUpperThreshold" << -3.0;
    QTest::newRow("M lone minus, secondary") << true << "mMaxEdit" << "-" << "8"
                                             << "MUpperSecondaryThreshold" << 8.0;
    QTest::newRow("S lone point") << false << "sMinEdit" << "." << "3" << "SUpperThreshold" << 3.0;
    QTest::newRow("I upper minus and point, secondary")
        << true << "loudMaxEdit" << "-." << "1" << "IUpperSecondaryThreshold" << 1.0;
    QTest::newRow("I lower empty") << false << "loudMinEdit" << "" << "-1" << "ILowerThreshold"
                                   << -1.0;
    QTest::newRow("count empty, secondary")
        << true << "tpCountEdit" << "" << "1" << "TPCountSecondaryThreshold" << 1.0;
    QTest::newRow("number ending in a point")
        << false << "mMaxEdit" << "5." << "5." << "MUpperThreshold" << 5.0;
    QTest::newRow("typed decimal") << true << "loudMinEdit" << "-1.5" << "-1.5"
                                   << "ILowerSecondaryThreshold" << -1.5;
}

void TestSettingsPages::fieldsWithoutNumberReadBackAsDefault()
{
    QFETCH(bool, secondary);
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shownAfter);
    QFETCH(QString, element);
    QFETCH(double, stored);

    AudioGroupsSettings page(nullptr);
    page.show();
    // Far from every default, so a default that lands in the wrong element shows.
    page.onPopulateAudioGroupSettings(distinctConfig(), QStringLiteral("Studio"));
    AlarmThresholdSet *set = page.getAlarmThresholdSet();
    AlarmThreshold *threshold = secondary ? set->getSecondaryThreshold() : set->getMainThreshold();
    QLineEdit *target = edit(threshold, field.toLatin1().constData());
    retype(target, typed);

    QSignalSpy changes(&page, &AudioGroupsSettings::AgSettingsDidChange);
    page.onRetrieveAudioGroupSettings();
    QCOMPARE(changes.count(), 1);
    const auto config = changes.at(0).at(0).value<AgConfig>();
    QCOMPARE(changes.at(0).at(1).toString(), QStringLiteral("Studio"));
    QCOMPARE(elementValue(config, element).toDouble(), stored);
    QCOMPARE(target->text(), shownAfter);

    // Everything else stays as it was shown.
    AgConfig expected = distinctConfig();
    const QByteArray setter = "set" + element.toLatin1();
    QVERIFY(element.contains(QLatin1String("Count"))
                ? QMetaObject::invokeMethod(&expected, setter.constData(), Q_ARG(int, int(stored)))
                : QMetaObject::invokeMethod(&expected, setter.constData(), Q_ARG(double, stored)));
    QCOMPARE(elementsOf(config), elementsOf(expected));
}

void TestSettingsPages::everyElementRoundTrips()
{
    AudioGroupsSettings page(nullptr);
    const AgConfig config = distinctConfig();
    page.onPopulateAudioGroupSettings(config, QStringLiteral("Studio"));
    // Which page is open does not matter.
    page.getAlarmThresholdSet()->on_secondaryThresholdButton_clicked();
    QSignalSpy changes(&page, &AudioGroupsSettings::AgSettingsDidChange);
    page.onRetrieveAudioGroupSettings();
    QCOMPARE(changes.count(), 1);
    QCOMPARE(elementsOf(changes.at(0).at(0).value<AgConfig>()), elementsOf(config));
    QCOMPARE(edit(page.getAlarmThresholdSet()->getSecondaryThreshold(), "tpLevelEdit")->text(),
             QStringLiteral("-23.25"));
}

void TestSettingsPages::clearAndFillKeepTheOpenPage()
{
    AlarmThresholdSet set(nullptr);
    auto *stack = set.findChild<QStackedWidget *>(QStringLiteral("thresholdsStackedWidget"));
    auto *mainButton = set.findChild<QPushButton *>(QStringLiteral("mainThresholdButton"));
    auto *secondaryButton = set.findChild<QPushButton *>(QStringLiteral("secondaryThresholdButton"));
    auto *alerts = set.findChild<QCheckBox *>(QStringLiteral("alertsPerAgCheckBox"));
    auto *reconnect = set.findChild<QCheckBox *>(QStringLiteral("autoReconnectPerAgCheckBox"));
    set.show();
    QVERIFY(reconnect->isHidden() && !reconnect->isEnabled());

    UserInput::clickCentre(secondaryButton);
    QCOMPARE(stack->currentIndex(), 1);
    QCOMPARE(secondaryButton->y(), 51);
    QCOMPARE(stack->y(), 102);

    set.populate(KivTest::thresholds(true, false));
    QCOMPARE(stack->currentIndex(), 1);
    QVERIFY(set.getMainThreshold()->isActive());
    QVERIFY(!set.getSecondaryThreshold()->isActive());
    QVERIFY(alerts->isChecked());

    AgConfig reconnecting = KivTest::thresholds();
    reconnecting.setAutoreconnect(true);
    set.populate(reconnecting);
    set.clear();
    QCOMPARE(stack->currentIndex(), 1);
    QVERIFY(!alerts->isChecked());
    QVERIFY(set.isAutoreconnectChecked()); // carried, not shown
    for (AlarmThreshold *threshold : {set.getMainThreshold(), set.getSecondaryThreshold()}) {
        QVERIFY(!threshold->isActive());
        for (QLineEdit *field : threshold->findChildren<QLineEdit *>())
            QVERIFY2(field->text().isEmpty(), qPrintable(field->objectName()));
    }

    UserInput::clickCentre(mainButton);
    QCOMPARE(stack->currentIndex(), 0);
    QCOMPARE(secondaryButton->y(), 380);
    QCOMPARE(stack->y(), 51);
}

void TestSettingsPages::audiogroupListHandsEditsBackBeforeSelecting()
{
    AudioGroupsSettings page(nullptr);
    AudiogroupController controller(page);
    page.show();
    QListWidget *list = page.getListWidget()->getListWidget();
    AgConfig p1(QStringLiteral("P1"));
    AgConfig p1b(QStringLiteral("P1"));
    p1b.setTPUpperThreshold(-4.0);
    controller.configs.insert(QStringLiteral("Studio A/P1"), p1);
    controller.configs.insert(QStringLiteral("Studio B/P1"), p1b);
    const QList<AGSettingsListModelItem> items = {{QStringLiteral("Studio A"), QStringLiteral("P1")},
                                                  {QStringLiteral("Studio B"), QStringLiteral("P1")}};

    // The list asks for its first row at once.
    page.onUpdateAudioGroupSettingsList(items);
    QCOMPARE(list->count(), 2);
    QCOMPARE(controller.events, QStringList{"selected Studio A/P1"});
    QLineEdit *tp = edit(page.getAlarmThresholdSet()->getMainThreshold(), "tpLevelEdit");
    QCOMPARE(tp->text(), QStringLiteral("-3"));

    // A's edit goes back before B is asked for; same audiogroup name, told apart by device.
    retype(tp, QStringLiteral("-7"));
    controller.events.clear();
    UserInput::clickCentre(list->itemWidget(list->item(1)));
    QCOMPARE(controller.events,
             QStringList({"changed Studio A/P1 TP -7", "selected Studio B/P1"}));
    QCOMPARE(tp->text(), QStringLiteral("-4"));

    // Back to A: the edited value.
    UserInput::clickCentre(list->itemWidget(list->item(0)));
    QCOMPARE(tp->text(), QStringLiteral("-7"));

    // A new list drops the unsent edit of the audiogroup shown.
    retype(tp, QStringLiteral("-9"));
    controller.events.clear();
    page.onUpdateAudioGroupSettingsList(items);
    QCOMPARE(controller.events, QStringList{"selected Studio A/P1"});
    QCOMPARE(tp->text(), QStringLiteral("-7"));

    // An empty list: nothing asked, the set cleared; a retrieval sends no instrument and
    // the empty fields come to show their defaults.
    controller.events.clear();
    page.onUpdateAudioGroupSettingsList({});
    QCOMPARE(list->count(), 0);
    QVERIFY(controller.events.isEmpty());
    QVERIFY(tp->text().isEmpty());
    QSignalSpy changes(&page, &AudioGroupsSettings::AgSettingsDidChange);
    page.onRetrieveAudioGroupSettings();
    QCOMPARE(changes.count(), 1);
    QCOMPARE(changes.at(0).at(1).toString(), QString());
    QCOMPARE(tp->text(), QStringLiteral("-3"));
}

void TestSettingsPages::audiogroupRowsShortenLongNames()
{
    AudioGroupsSettings page(nullptr);
    const QString device = QStringLiteral("Transmission control room loudness meter");
    const QString group = QStringLiteral("Programme 1");
    page.onUpdateAudioGroupSettingsList({{device, group}});
    QListWidget *list = page.getListWidget()->getListWidget();
    auto *row = qobject_cast<AgSettingsListItem *>(list->itemWidget(list->item(0)));
    QVERIFY(row);
    QVERIFY(row->getInstrumentNameText().endsWith(QChar(0x2026)));
    QVERIFY(row->getInstrumentNameText().size() < device.size());
    QVERIFY(row->fontMetrics().horizontalAdvance(row->getInstrumentNameText()) <= 190);
    QCOMPARE(row->getAgNameText(), group);
    QCOMPARE(row->toolTip(), device + QLatin1Char(' ') + group);
    QCOMPARE(list->item(0)->sizeHint(), QSize(193, 58));
}

void TestSettingsPages::addContactDialog_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<QString>("email");
    QTest::addColumn<int>("key"); // how the dialog is left; 0: a click on OK
    QTest::addColumn<bool>("focusOnCancel");
    QTest::addColumn<QString>("added"); // the contact's Name, empty when none
    QTest::addColumn<QString>("alert");

    QTest::newRow("valid") << "Ann" << "Lee" << "ann@example.com" << 0 << false << "Ann Lee"
                           << "";
    QTest::newRow("blanks kept") << " Ann" << "Lee " << "ann@example.com" << 0 << false
                                 << " Ann Lee " << "";
    QTest::newRow("no first name") << "" << "Lee" << "ann@example.com" << 0 << false << ""
                                   << "First name and last name are mandatory fields !";
    QTest::newRow("no last name") << "Ann" << "" << "ann@example.com" << 0 << false << ""
                                  << "First name and last name are mandatory fields !";
    QTest::newRow("bad address") << "Ann" << "Lee" << "ann@example" << 0 << false << ""
                                 << "Invalid E-mail address !";
    QTest::newRow("five-letter top label") << "Ann" << "Lee" << "ann@example.abcde" << 0 << false
                                           << "" << "Invalid E-mail address !";
    QTest::newRow("Return") << "Ann" << "Lee" << "ann@example.com" << int(Qt::Key_Return)
                            << false << "Ann Lee" << "";
    QTest::newRow("Enter on CANCEL") << "Ann" << "Lee" << "ann@example.com" << int(Qt::Key_Enter)
                                     << true << "" << "";
    QTest::newRow("Escape does nothing") << "Ann" << "Lee" << "ann@example.com"
                                         << int(Qt::Key_Escape) << false << "" << "";
}

void TestSettingsPages::addContactDialog()
{
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(QString, email);
    QFETCH(int, key);
    QFETCH(bool, focusOnCancel);
    QFETCH(QString, added);
    QFETCH(QString, alert);

    m_fake.clearCalls();
    AlertsSettings page(nullptr);
    AlertsAddContactDialog *dialog = page.getAddContactDialog();
    QSignalSpy additions(&page, &AlertsSettings::addAlertContact);
    page.show();
    UserInput::clickCentre(page.findChild<QPushButton *>(QStringLiteral("okButton")));
    QVERIFY(dialog->isVisible());
    QVERIFY(!edit(dialog, "phoneNumberLineEdit_2")->isVisible());
    QVERIFY(!dialog->findChild<QLabel *>(QStringLiteral("phoneNumberStaticLabel_2"))->isVisible());

    QTest::keyClicks(edit(dialog, "firstNameLineEdit_2"), first);
    QTest::keyClicks(edit(dialog, "lastNameLineEdit_2"), last);
    QTest::keyClicks(edit(dialog, "emailAddressLineEdit_2"), email);
    auto *ok = dialog->findChild<QPushButton *>(QStringLiteral("okButton"));
    auto *cancel = dialog->findChild<QPushButton *>(QStringLiteral("cancelButton"));
    if (key == 0) {
        UserInput::clickCentre(ok);
    } else {
        QWidget *focus = focusOnCancel ? static_cast<QWidget *>(cancel)
                                       : edit(dialog, "emailAddressLineEdit_2");
        focus->setFocus();
        QTest::keyClick(focus, Qt::Key(key));
    }

    QCOMPARE(additions.count(), added.isEmpty() ? 0 : 1);
    if (!added.isEmpty()) {
        const auto contact = additions.at(0).at(0).value<AlertContactConfig>();
        QCOMPARE(contact.getName(), added);
        QCOMPARE(contact.getEmail(), email);
    }
    QCOMPARE(m_fake.callCount(QStringLiteral("showAlert")), alert.isEmpty() ? 0 : 1);
    if (!alert.isEmpty())
        QCOMPARE(m_fake.lastCall(QStringLiteral("showAlert")).args.value(0).toString(), alert);
    // Left only through OK with an accepted contact or through CANCEL.
    const bool left = !added.isEmpty() || focusOnCancel;
    QCOMPARE(dialog->isVisible(), !left);
    if (left) {
        // The fields keep their texts for the next contact.
        UserInput::clickCentre(page.findChild<QPushButton *>(QStringLiteral("okButton")));
        QCOMPARE(edit(dialog, "firstNameLineEdit_2")->text(), first);
        QCOMPARE(edit(dialog, "emailAddressLineEdit_2")->text(), email);
    }
    dialog->hide();
}

void TestSettingsPages::alertsPageReportsWhatItShows()
{
    AlertsSettings page(nullptr);
    page.show();
    QSignalSpy removals(&page, &AlertsSettings::removeAlertContact);
    QSignalSpy reports(&page, &AlertsSettings::alertSettingsDidChange);
    QListWidget *list = page.getListWidget()->getListWidget();

    page.onUpdateAlertsSettings(true, {});
    QCOMPARE(list->count(), 0);
    page.onRetrieveAlertContactConfigList();
    QCOMPARE(reports.takeFirst().at(1).value<QList<AlertContactConfig>>().size(), 0);

    page.onUpdateAlertsSettings(
        true, {KivTest::contact(QStringLiteral("Ann Lee"), QStringLiteral("ann@example.com")),
               KivTest::contact(QStringLiteral("<b>Bob</b>"), QStringLiteral("bob@example.org"))});
    QCOMPARE(list->count(), 2);
    // An address edited in its row, and the switch, are reported as shown.
    retype(edit(list->itemWidget(list->item(1)), "emailAddressLineEdit"),
           QStringLiteral("robert@example.org"));
    UserInput::clickCheckBox(page.findChild<QCheckBox *>(QStringLiteral("enableAlertsCheckBox")));
    page.onRetrieveAlertContactConfigList();
    QCOMPARE(reports.count(), 1);
    QCOMPARE(reports.at(0).at(0).toBool(), false);
    const auto contacts = reports.at(0).at(1).value<QList<AlertContactConfig>>();
    QCOMPARE(contacts.size(), 2);
    QCOMPARE(contacts.at(0).getName(), QStringLiteral("Ann Lee"));
    QCOMPARE(contacts.at(0).getEmail(), QStringLiteral("ann@example.com"));
    QCOMPARE(contacts.at(1).getName(), QStringLiteral("<b>Bob</b>"));
    QCOMPARE(contacts.at(1).getEmail(), QStringLiteral("robert@example.org"));

    // Remove asks for the contact by its name; the page itself changes nothing.
    UserInput::clickCentre(list->itemWidget(list->item(1))->findChild<QPushButton *>(
        QStringLiteral("pushButton")));
    QCOMPARE(removals.count(), 1);
    QCOMPARE(removals.at(0).at(0).toString(), QStringLiteral("<b>Bob</b>"));
    QCOMPARE(list->count(), 2);
}

void TestSettingsPages::smtpPageShowsAndReportsItsFields()
{
    SmtpSettings page(nullptr);
    page.show();
    auto *combo = page.findChild<QComboBox *>(QStringLiteral("connectionComboBox"));
    QLineEdit *port = edit(&page, "serverPortLineEdit");
    QLineEdit *password = edit(&page, "passwordLineEdit");
    QSignalSpy reports(&page, &SmtpSettings::smtpSettingsDidChange);
    QCOMPARE(combo->count(), 2);
    QCOMPARE(combo->itemText(0), QStringLiteral("SSL"));
    QCOMPARE(combo->itemText(1), QStringLiteral("TCP"));

    page.onUpdateSmtpSettingsSubview(SMTPConfig());
    QCOMPARE(combo->currentText(), QStringLiteral("SSL"));
    QCOMPARE(port->text(), QStringLiteral("465"));
    QVERIFY(edit(&page, "serverAddressLineEdit")->text().isEmpty());
    QCOMPARE(password->echoMode(), QLineEdit::Password);

    SMTPConfig tcp;
    tcp.setConnectionType(QStringLiteral("TCP"));
    page.onUpdateSmtpSettingsSubview(tcp);
    QCOMPARE(combo->currentText(), QStringLiteral("TCP"));
    // An unknown type, or one in lower case, leaves the combo where it was.
    for (const QString &unknown : {QStringLiteral("TLS"), QStringLiteral("ssl")}) {
        SMTPConfig other;
        other.setConnectionType(unknown);
        page.onUpdateSmtpSettingsSubview(other);
        QCOMPARE(combo->currentText(), QStringLiteral("TCP"));
    }

    // The port takes six digits at most and nothing else.
    retype(port, QStringLiteral("25x2a5251"));
    QCOMPARE(port->text(), QStringLiteral("252525"));
    retype(edit(&page, "serverAddressLineEdit"), QStringLiteral(" mail.example.com "));
    retype(edit(&page, "usernameLineEdit"), QStringLiteral("kiv"));
    retype(password, QStringLiteral("s3cr et"));
    retype(edit(&page, "emailFromLineEdit"), QStringLiteral("kiv@example.com"));
    page.onRetrieveSmtpConfig();
    auto config = reports.takeFirst().at(0).value<SMTPConfig>();
    QCOMPARE(config.getConnectionType(), QStringLiteral("TCP"));
    QCOMPARE(config.getHost(), QStringLiteral(" mail.example.com "));
    QCOMPARE(config.getPort(), 252525);
    QCOMPARE(config.getUser(), QStringLiteral("kiv"));
    QCOMPARE(config.getPassword(), QStringLiteral("s3cr et"));
    QCOMPARE(config.getSenderEmailAddress(), QStringLiteral("kiv@example.com"));

    port->clear();
    page.onRetrieveSmtpConfig();
    QCOMPARE(reports.takeFirst().at(0).value<SMTPConfig>().getPort(), 0);
}

void TestSettingsPages::smtpTestButtonBusyDisplay()
{
    SmtpSettings page(nullptr);
    page.show();
    auto *button = page.findChild<QPushButton *>(QStringLiteral("testButton"));
    auto *info = page.findChild<QLabel *>(QStringLiteral("testButtonInfo"));
    QSignalSpy clicks(&page, &SmtpSettings::testSMTPSettingsButtonClick);
    QVERIFY(button->isEnabled());
    QVERIFY(!info->isVisible());
    UserInput::clickCentre(button);
    QCOMPARE(clicks.count(), 1);

    page.onUpdateSMTPSettingsTestButton(true);
    QVERIFY(!button->isEnabled());
    QVERIFY(info->isVisible());
    QCOMPARE(info->text(), QStringLiteral("trying to send test email"));
    UserInput::clickCentre(button);
    QCOMPARE(clicks.count(), 1);

    page.onUpdateSMTPSettingsTestButton(false);
    QVERIFY(button->isEnabled());
    QVERIFY(!info->isVisible());
}

void TestSettingsPages::graphRangesStayDistinct_data()
{
    QTest::addColumn<QList<int>>("shown");   // values shown through the update; empty: none
    QTest::addColumn<int>("position");       // combo the user changes; -1: none
    QTest::addColumn<int>("choice");
    QTest::addColumn<QList<int>>("reported");

    // A fresh page shows what a fresh configuration holds.
    const QList<int> fresh = {0, 2, 3, 7, 9, 11, 13};
    QCOMPARE(SystemConfig::defaultRangeSettings(), fresh);
    QTest::newRow("fresh page") << QList<int>() << -1 << 0 << fresh;
    QTest::newRow("5 min in the fourth") << QList<int>() << 3 << 2
                                         << QList<int>{0, 1, 3, 2, 9, 11, 13};
    QTest::newRow("72 h kept") << QList<int>() << 6 << 15 << QList<int>{0, 2, 3, 7, 9, 11, 15};
    QTest::newRow("72 h twice") << QList<int>{0, 2, 3, 7, 9, 11, 15} << 1 << 15
                                << QList<int>{0, 15, 3, 7, 9, 11, 1};
    QTest::newRow("stored duplicate") << QList<int>{5, 5, 6, 7, 8, 9, 10} << -1 << 0
                                      << QList<int>{0, 5, 6, 7, 8, 9, 10};
    QTest::newRow("never sorted") << QList<int>{13, 11, 9, 7, 3, 2, 0} << -1 << 0
                                  << QList<int>{13, 11, 9, 7, 3, 2, 0};
    QTest::newRow("short list ignored") << QList<int>{0, 2, 7, 11} << -1 << 0 << fresh;
    QTest::newRow("extra entries ignored") << QList<int>{1, 2, 3, 4, 5, 6, 8, 9} << -1 << 0
                                           << QList<int>{1, 2, 3, 4, 5, 6, 8};
    QTest::newRow("out of range") << QList<int>{0, 2, 3, 7, 9, 11, 16} << -1 << 0
                                  << QList<int>{0, 2, 3, 7, 9, 11, -1};
}

void TestSettingsPages::graphRangesStayDistinct()
{
    QFETCH(QList<int>, shown);
    QFETCH(int, position);
    QFETCH(int, choice);
    QFETCH(QList<int>, reported);

    GraphSettings page(nullptr);
    QSignalSpy reports(&page, &GraphSettings::graphSettingsDidChange);
    QCOMPARE(page.rangeComboBox(6)->count(), 16);
    QCOMPARE(page.rangeComboBox(6)->itemText(15), QStringLiteral("72 h"));
    if (!shown.isEmpty())
        page.onUpdateGraphSettingsSubview(true, shown);
    if (position >= 0)
        page.rangeComboBox(position)->setCurrentIndex(choice);
    page.onRetrieveGraphSettings();
    QCOMPARE(reports.count(), 1);
    QCOMPARE(reports.at(0).at(0).toBool(), !shown.isEmpty());
    QCOMPARE(reports.at(0).at(1).value<QList<int>>(), reported);
}

void TestSettingsPages::generalAndReportPagesReportAsShown()
{
    GeneralSettings general(nullptr);
    general.show();
    QSignalSpy generalReports(&general, &GeneralSettings::generalSettingsDidChange);
    auto *box = general.findChild<QCheckBox *>(QStringLiteral("IPgmEndAlertsCheckbox"));
    general.onUpdateGeneralSettingsSubview(true);
    QVERIFY(box->isChecked());
    UserInput::clickCheckBox(box);
    QCOMPARE(generalReports.count(), 0); // nothing until asked
    general.onRetrieveGeneralSettings();
    QCOMPARE(generalReports.takeFirst().at(0).toBool(), false);

    ReportSettingsPage report(nullptr);
    report.show();
    QSignalSpy reportReports(&report, &ReportSettingsPage::reportSettingsDidChange);
    ReportConfig stored;
    stored.setCompanyName(QStringLiteral("Loopback Broadcasting"));
    stored.setCompanyAddress(QStringLiteral("1 Studio Road"));
    stored.setCompanyAddress2(QStringLiteral("Testville"));
    report.onUpdateReportSettingsSubView(stored);
    QCOMPARE(edit(&report, "companyNameLineEdit")->text(), stored.getCompanyName());
    QCOMPARE(edit(&report, "companyAddress1")->text(), stored.getCompanyAddress());
    QCOMPARE(edit(&report, "companyAddress2")->text(), stored.getCompanyAddress2());
    retype(edit(&report, "companyNameLineEdit"), QStringLiteral("  Night Desk "));
    edit(&report, "companyAddress1")->clear();
    report.onRetrieveReportSettings();
    const auto config = reportReports.takeFirst().at(0).value<ReportConfig>();
    QCOMPARE(config.getCompanyName(), QStringLiteral("  Night Desk "));
    QCOMPARE(config.getCompanyAddress(), QString());
    QCOMPARE(config.getCompanyAddress2(), QStringLiteral("Testville"));
}

void TestSettingsPages::windowOpensOnGeneralAndRelays()
{
    SettingsDialog dialog(kViewTypeSettings, nullptr);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Settings"));
    QCOMPARE(dialog.size(), QSize(1024, 692));
    QCOMPARE(dialog.minimumSize(), dialog.maximumSize());
    QCOMPARE(dialog.windowModality(), Qt::ApplicationModal);
    QStackedWidget *pages = dialog.pages();
    KIVSettingsCategorySelector *selector = dialog.categorySelector();

    dialog.onShow();
    QVERIFY(dialog.isVisible());
    QCOMPARE(pages->currentIndex(), 0);

    // Every category by a click, SMTP and GRAPH included; the page of its index shows.
    const QStringList texts = {"GENERAL", "AUDIOGROUPS", "ALERTS", "SMTP", "REPORTS", "GRAPH"};
    const QList<QWidget *> expected = {dialog.generalSettings(), dialog.audioGroupsSettings(),
                                       dialog.alertsSettings(),  dialog.smtpSettings(),
                                       dialog.reportSettings(),  dialog.graphSettings()};
    for (int i : {1, 2, 3, 4, 5, 0, 5}) {
        QRadioButton *button = selector->categoryButton(i);
        QCOMPARE(button->text(), texts.at(i));
        UserInput::clickCentre(button);
        QVERIFY(button->isChecked());
        QCOMPARE(pages->currentIndex(), i);
        QCOMPARE(pages->currentWidget(), expected.at(i)->parentWidget());
    }

    // Closed on GRAPH, opened on GENERAL.
    dialog.onHide();
    dialog.onShow();
    QVERIFY(selector->categoryButton(0)->isChecked());
    QCOMPARE(pages->currentIndex(), 0);

    // OK, CANCEL and the frame's close only tell the controller.
    QSignalSpy saves(&dialog, &ASettingsView::SaveButtonClick);
    QSignalSpy cancels(&dialog, &ASettingsView::CancelButtonClick);
    QSignalSpy hides(&dialog, &AView::viewHide);
    UserInput::clickCentre(dialog.cancelOKButtons()->okButton());
    UserInput::clickCentre(dialog.cancelOKButtons()->cancelButton());
    QVERIFY(!dialog.close());
    QCOMPARE(saves.count(), 1);
    QCOMPARE(cancels.count(), 1);
    QCOMPARE(hides.count(), 1);
    QVERIFY(dialog.isVisible());

    dialog.onShowPleaseWaitDialog(QStringLiteral("Saving Settings..."));
    KivPleaseWaitBox *box = dialog.pleaseWaitBox();
    QVERIFY(box->isVisible());
    QCOMPARE(box->findChild<QLabel *>(QStringLiteral("alertTextLabel"))->text(),
             QStringLiteral("Saving Settings..."));
    dialog.onHidePleaseWaitDialog();
    QVERIFY(!box->isVisible());

    // For a person to look at (KIV_SHOTS_DIR): every page filled.
    QList<AGSettingsListModelItem> items;
    for (int i = 0; i < 12; ++i)
        items << AGSettingsListModelItem(QStringLiteral("Studio %1").arg(i),
                                         i == 1 ? QStringLiteral("A long audiogroup name, cut")
                                                : QStringLiteral("P%1").arg(i));
    QObject::connect(&dialog, &ASettingsView::AudioGroupSelected, &dialog,
                     [&dialog](const QString &instrument, const QString &) {
                         emit dialog.PopulateAudioGroupSettings(KivTest::thresholds(), instrument);
                     });
    emit dialog.updateAudioGroupSettingsList(items);
    emit dialog.updateAlertsSettingsSubview(
        true, {KivTest::contact(QStringLiteral("Ann Lee"), QStringLiteral("ann@example.com")),
               KivTest::contact(QStringLiteral("Bob Stone"), QStringLiteral("bob@example.org"))});
    SMTPConfig smtp;
    smtp.setHost(QStringLiteral("mail.example.com"));
    smtp.setUser(QStringLiteral("kiv"));
    smtp.setPassword(QStringLiteral("secret"));
    smtp.setSenderEmailAddress(QStringLiteral("kiv@example.com"));
    emit dialog.updateSmtpSettingsSubview(smtp);
    ReportConfig report;
    report.setCompanyName(QStringLiteral("Loopback Broadcasting"));
    report.setCompanyAddress(QStringLiteral("1 Studio Road"));
    report.setCompanyAddress2(QStringLiteral("Testville"));
    emit dialog.updateReportSettingsSubview(report);
    emit dialog.updateGeneralSettingsSubview(true);
    const char *const names[] = {"general", "audiogroups", "alerts", "smtp", "reports", "graph"};
    for (int i = 0; i < 6; ++i) {
        selector->categoryButton(i)->click();
        KivTest::saveShot(&dialog, QStringLiteral("settings_%1").arg(QLatin1String(names[i])));
    }
    selector->categoryButton(1)->click();
    dialog.audioGroupsSettings()->getAlarmThresholdSet()->on_secondaryThresholdButton_clicked();
    KivTest::saveShot(&dialog, QStringLiteral("settings_audiogroups_secondary"));
    selector->categoryButton(3)->click();
    emit dialog.updateSMTPSettingsTestButton(true);
    KivTest::saveShot(&dialog, QStringLiteral("settings_smtp_busy"));
    AlertsAddContactDialog *add = dialog.alertsSettings()->getAddContactDialog();
    add->show();
    KivTest::saveShot(add, QStringLiteral("settings_addcontact"));
    add->hide();
}

KIV_TEST_MAIN(TestSettingsPages, QApplication)
#include "tst_settingspages.moc"
