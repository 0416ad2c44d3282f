#include <AGSettingsListModelItem.h>
#include <ClickableLabel.h>
#include <DoubleTextCheckboxButton.h>
#include <FloatingPointNumberLineEdit.h>
#include <FloatingPointNumberValidator.h>
#include <GuiShots.h>
#include <IntegerNumberLineEdit.h>
#include <IntegerNumberValidator.h>
#include <KivResources.h>
#include <KivTest.h>
#include <NUVCheckbox.h>
#include <NUVListWidget.h>
#include <NumberValidatorFactory.h>
#include <ScrollBarStyles.h>
#include <SemaphoreWidget.h>
#include <SimpleButton.h>
#include <SimpleCheckboxButton.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QSignalSpy>

#include <functional>
#include <memory>

namespace {

QString shotName(const char *prefix)
{
    return QString::fromLatin1(prefix) + QLatin1Char('-') +
           QString::fromLatin1(QTest::currentDataTag()).replace(QLatin1Char(' '), '_');
}

template <typename T> T *child(QWidget *parent, const char *name)
{
    T *found = parent->findChild<T *>(QLatin1String(name));
    if (!found)
        qFatal("no child %s", name);
    return found;
}

// Which lamp picture a lamp label shows: "gray", "green", "yellow" or "red".
QString lampColour(QLabel *lamp)
{
    const QImage shown = lamp->pixmap(Qt::ReturnByValue).toImage();
    const QPair<const char *, QString> pictures[] = {
        {"gray", SemaphoreWidget::grayLightPath()},
        {"green", SemaphoreWidget::greenLightPath()},
        {"yellow", SemaphoreWidget::yellowLightPath()},
        {"red", SemaphoreWidget::redLightPath()},
    };
    for (const auto &picture : pictures) {
        if (QImage(picture.second).convertToFormat(shown.format()) == shown)
            return QString::fromLatin1(picture.first);
    }
    return QStringLiteral("?");
}

// What a semaphore shows: "text:<message>" or the three lamps green, yellow, red.
QString shown(SemaphoreWidget *semaphore)
{
    auto *lamps = child<QWidget>(semaphore, "semaphore_widget");
    auto *text = child<QLabel>(semaphore, "messageLabel");
    if (text->isVisibleTo(semaphore) && !lamps->isVisibleTo(semaphore))
        return QStringLiteral("text:") + text->text();
    if (!text->isVisibleTo(semaphore) && lamps->isVisibleTo(semaphore))
        return QStringList{lampColour(child<QLabel>(semaphore, "greenLabel")),
                           lampColour(child<QLabel>(semaphore, "yellowLabel")),
                           lampColour(child<QLabel>(semaphore, "redLabel"))}
            .join(QLatin1Char(' '));
    return QStringLiteral("both or neither");
}

// Which face of a styled button shows: "light" (raised) or "dark" (pressed).
QString face(NUVCustomButton *button)
{
    auto *on = child<QWidget>(button, "backgroundOn");
    auto *off = button->findChild<QWidget *>(QStringLiteral("backgroundOff"));
    const bool light = on->isVisibleTo(button);
    const bool dark = off && off->isVisibleTo(button) &&
                      child<QWidget>(button, "shadowOff_2")->isVisibleTo(button);
    if (light == dark)
        return QStringLiteral("both or neither");
    return light ? QStringLiteral("light") : QStringLiteral("dark");
}

QRgb centrePixel(QWidget *widget)
{
    const QImage image = widget->grab().toImage();
    return image.pixel(image.width() / 2, image.height() / 2);
}

void sendFocus(QWidget *widget, QEvent::Type type)
{
    QFocusEvent event(type, Qt::TabFocusReason);
    QApplication::sendEvent(widget, &event);
}

class EventCounter : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        count += event->type() == QEvent::User ? 1 : 0;
        return false;
    }
    int count = 0;
};

using Steps = std::function<void(SemaphoreWidget *)>;
using MakeButton = std::function<NUVCustomButton *()>;

} // namespace

Q_DECLARE_METATYPE(Steps)
Q_DECLARE_METATYPE(MakeButton)

class TestStyledWidgets : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { initKivResources(); }

    void semaphoreStates_data()
    {
        QTest::addColumn<Steps>("steps");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("display");
        const auto state = [](int s) { return Steps([s](SemaphoreWidget *w) { w->setState(s); }); };
        QTest::newRow("new") << Steps([](SemaphoreWidget *) {}) << 3 << "gray yellow gray";
        QTest::newRow("0 alone") << state(0) << 0 << "text:";
        QTest::newRow("0 and message") << Steps([](SemaphoreWidget *w) {
            w->setState(0);
            w->setMessage("Connecting ...");
        }) << 0 << "text:Connecting ...";
        QTest::newRow("1 green") << state(1) << 1 << "green gray gray";
        QTest::newRow("2 red") << state(2) << 2 << "gray gray red";
        QTest::newRow("3 yellow") << state(3) << 3 << "gray yellow gray";
        QTest::newRow("4 gray") << state(4) << 4 << "gray gray gray";
        QTest::newRow("2 after text") << Steps([](SemaphoreWidget *w) {
            w->setState(0);
            w->setMessage("Connecting ...");
            w->setState(2);
        }) << 2 << "gray gray red";
        QTest::newRow("message over lamps keeps the state") << Steps([](SemaphoreWidget *w) {
            w->setState(1);
            w->setMessage("Connecting ...");
        }) << 1 << "text:Connecting ...";
        QTest::newRow("7 is stored, display stays") << Steps([](SemaphoreWidget *w) {
            w->setState(1);
            w->setState(7);
        }) << 7 << "green gray gray";
    }

    void semaphoreStates()
    {
        QFETCH(Steps, steps);
        SemaphoreWidget semaphore(nullptr, QStringLiteral("Loading..."));
        semaphore.setStyleSheet(QStringLiteral("SemaphoreWidget {background-color: #464646; "
                                               "border: none;}"));
        steps(&semaphore);
        QTEST(semaphore.getState(), "state");
        QTEST(shown(&semaphore), "display");
        QCOMPARE(semaphore.size(), QSize(210, 60));
        KivTest::saveShot(&semaphore, shotName("semaphore"));

        // A press anywhere on it, lamps or text, presses the button.
        QSignalSpy clicked(&semaphore, &QPushButton::clicked);
        semaphore.show();
        for (const QPoint &at : {QPoint(105, 30), QPoint(55, 30), QPoint(5, 5)})
            QTest::mouseClick(&semaphore, Qt::LeftButton, {}, at);
        QCOMPARE(clicked.count(), 3);
    }

    void buttonFaces_data()
    {
        QTest::addColumn<MakeButton>("make");
        QTest::addColumn<bool>("toggle");
        QTest::addColumn<QString>("initialText");
        QTest::newRow("SimpleButton")
            << MakeButton([] { return new SimpleButton(nullptr); }) << false << "12";
        QTest::newRow("SimpleCheckboxButton")
            << MakeButton([] { return new SimpleCheckboxButton(nullptr); }) << true << "12";
        QTest::newRow("DoubleTextCheckboxButton")
            << MakeButton([] { return new DoubleTextCheckboxButton(nullptr); }) << true << "";
    }

    // The looks: text, faces, focus border and the disabled veil.
    void buttonFaces()
    {
        QFETCH(MakeButton, make);
        QFETCH(bool, toggle);
        std::unique_ptr<NUVCustomButton> button(make());
        QCOMPARE(button->size(), QSize(46, 47));
        QCOMPARE(button->QPushButton::text(), QString());
        QLabel *label = button->findChild<QLabel *>(QStringLiteral("label"));
        if (!label)
            label = child<QLabel>(button.get(), "label1");
        QTEST(label->text(), "initialText");
        QCOMPARE(face(button.get()), QStringLiteral("light"));
        button->show();
        KivTest::saveShot(button.get(), shotName("button-new"));

        auto *onFace = child<QWidget>(button.get(), "backgroundOn");
        sendFocus(button.get(), QEvent::FocusIn);
        QVERIFY(onFace->styleSheet().contains(QLatin1String("border: 1px solid #FFFFFF")));
        KivTest::saveShot(button.get(), shotName("button-focus"));
        sendFocus(button.get(), QEvent::FocusOut);
        QVERIFY(onFace->styleSheet().contains(QLatin1String("border: 1px solid #414141")));
        if (toggle) {
            auto *offFace = child<QWidget>(button.get(), "backgroundOff");
            sendFocus(button.get(), QEvent::FocusIn);
            QVERIFY(offFace->styleSheet().contains(QLatin1String("#FFFFFF")));
            sendFocus(button.get(), QEvent::FocusOut);
            QVERIFY(offFace->styleSheet().contains(QLatin1String("#414141")));
        }

        // Disabled: no click, and the white veil lightens the face.
        const QRgb enabledPixel = centrePixel(button.get());
        QSignalSpy clicked(button.get(), &QPushButton::clicked);
        button->setButtonEnabled(false);
        QTest::mouseClick(button.get(), Qt::LeftButton);
        QCOMPARE(clicked.count(), 0);
        const QRgb veiledPixel = centrePixel(button.get());
        QVERIFY2(qGray(veiledPixel) > qGray(enabledPixel) + 10,
                 qPrintable(
                     QStringLiteral("%1 vs %2").arg(qGray(veiledPixel)).arg(qGray(enabledPixel))));
        KivTest::saveShot(button.get(), shotName("button-disabled"));
        button->setButtonEnabled(true);
        QCOMPARE(centrePixel(button.get()), enabledPixel);
        QTest::mouseClick(button.get(), Qt::LeftButton);
        QCOMPARE(clicked.count(), 1);
    }

    void toggleButtonsEmitTheirNewState_data()
    {
        QTest::addColumn<MakeButton>("make");
        QTest::newRow("SimpleCheckboxButton")
            << MakeButton([] { return new SimpleCheckboxButton(nullptr); });
        QTest::newRow("DoubleTextCheckboxButton")
            << MakeButton([] { return new DoubleTextCheckboxButton(nullptr); });
    }

    void toggleButtonsEmitTheirNewState()
    {
        QFETCH(MakeButton, make);
        std::unique_ptr<NUVCustomButton> button(make());
        auto *simple = qobject_cast<SimpleCheckboxButton *>(button.get());
        auto *doubleText = qobject_cast<DoubleTextCheckboxButton *>(button.get());
        const auto setChecked = [&](bool checked) {
            simple ? simple->setChecked(checked) : doubleText->setChecked(checked);
        };
        const auto isChecked = [&] {
            return simple ? simple->isChecked() : doubleText->isChecked();
        };
        QSignalSpy checks(button.get(), simple ? SIGNAL(onCheck(bool)) : SIGNAL(onCheck(bool)));
        button->show();

        QTest::mouseClick(button.get(), Qt::LeftButton);
        QCOMPARE(isChecked(), true);
        QCOMPARE(face(button.get()), QStringLiteral("dark"));
        KivTest::saveShot(button.get(), shotName("toggle-checked"));
        QTest::keyClick(button.get(), Qt::Key_Space);
        QCOMPARE(isChecked(), false);
        QCOMPARE(face(button.get()), QStringLiteral("light"));
        QCOMPARE(checks.count(), 2);
        QCOMPARE(checks.at(0).at(0).toBool(), true);
        QCOMPARE(checks.at(1).at(0).toBool(), false);

        // Mirroring a remote state is silent; the next click leaves it.
        setChecked(true);
        QCOMPARE(face(button.get()), QStringLiteral("dark"));
        setChecked(true);
        QCOMPARE(checks.count(), 2);
        QTest::mouseClick(button.get(), Qt::LeftButton);
        QCOMPARE(checks.count(), 3);
        QCOMPARE(checks.at(2).at(0).toBool(), false);
        QCOMPARE(face(button.get()), QStringLiteral("light"));
    }

    void buttonTexts()
    {
        SimpleCheckboxButton zoom(nullptr);
        zoom.setChecked(true);
        zoom.setText(QStringLiteral("30 s"));
        QVERIFY(zoom.isChecked());
        QCOMPARE(face(&zoom), QStringLiteral("dark"));
        QCOMPARE(zoom.text(), QStringLiteral("30 s"));
        KivTest::saveShot(&zoom, QStringLiteral("text-zoom-checked"));

        DoubleTextCheckboxButton startStop(nullptr);
        startStop.setTexts(QStringLiteral("START"), QStringLiteral("STOP"));
        QCOMPARE(startStop.text(), QStringLiteral("START"));
        KivTest::saveShot(&startStop, QStringLiteral("text-start"));
        startStop.setChecked(true);
        QCOMPARE(startStop.text(), QStringLiteral("STOP"));
        KivTest::saveShot(&startStop, QStringLiteral("text-stop"));
        QCOMPARE(child<QLabel>(&startStop, "label1")->styleSheet(),
                 QStringLiteral("color: rgba(255, 255, 255, 255)"));

        // A line break shows on two lines.
        DoubleTextCheckboxButton marks(nullptr);
        marks.setTexts(QStringLiteral("MARKS\nON"), QStringLiteral("MARKS\nOFF"));
        QVERIFY(child<QLabel>(&marks, "label1")->wordWrap());
        KivTest::saveShot(&marks, QStringLiteral("text-marks"));

        SimpleButton add(nullptr);
        add.setText(QStringLiteral("ADD"));
        QCOMPARE(add.text(), QStringLiteral("ADD"));
        KivTest::saveShot(&add, QStringLiteral("text-add"));
    }

    // Where a styled button or check box filters another object's events, a set flag turns
    // every such event into a click and consumes it.
    void clickOnFilteredEvents()
    {
        QObject watched;
        EventCounter delivered; // filters last: sees what the others let through
        watched.installEventFilter(&delivered);
        SimpleButton button(nullptr);
        NUVCheckbox checkbox(nullptr);
        QSignalSpy buttonClicks(&button, &QPushButton::clicked);
        QSignalSpy checkboxClicks(&checkbox, &QCheckBox::clicked);
        watched.installEventFilter(&button);
        watched.installEventFilter(&checkbox);

        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&watched, &event);
        QCOMPARE(buttonClicks.count() + checkboxClicks.count(), 0);
        QCOMPARE(delivered.count, 1);

        // The check box filters first (installed last) and consumes the event.
        checkbox.setClickOnFilteredEvents();
        button.setClickOnFilteredEvents();
        QCoreApplication::sendEvent(&watched, &event);
        QCOMPARE(checkboxClicks.count(), 1);
        QCOMPARE(checkboxClicks.at(0).at(0).toBool(), false);
        QCOMPARE(buttonClicks.count(), 0);
        QCOMPARE(delivered.count, 1);
        watched.removeEventFilter(&checkbox);
        QCoreApplication::sendEvent(&watched, &event);
        QCOMPARE(buttonClicks.count(), 1);
        QCOMPARE(delivered.count, 1);
    }

    void clickableLabelTakesEveryButton()
    {
        ClickableLabel label(nullptr);
        label.resize(80, 20);
        QSignalSpy clicks(&label, &ClickableLabel::onClick);
        label.show();
        QTest::mouseClick(&label, Qt::LeftButton);
        QTest::mouseClick(&label, Qt::RightButton);
        QTest::mousePress(&label, Qt::MiddleButton);
        QCOMPARE(clicks.count(), 2);
        QTest::mouseRelease(&label, Qt::MiddleButton);
        QCOMPARE(clicks.count(), 3);
    }

    void validators_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("input");
        QTest::addColumn<bool>("accepted");
        for (const char *text : {"", "7", "42", "999"})
            QTest::addRow("integer '%s'", text) << 0 << QString::fromLatin1(text) << true;
        for (const char *text : {"1000", "-1", "1.5", " 1", "1 "})
            QTest::addRow("integer '%s'", text) << 0 << QString::fromLatin1(text) << false;
        for (const char *text : {"", "-", ".", "-.", "5", "-12", "12.", "12.5", "99.9", "-0.5",
                                 ".5", "123", "100", "-999"})
            QTest::addRow("float '%s'", text) << 1 << QString::fromLatin1(text) << true;
        for (const char *text :
             {"1234", "1.25", "12.34", "+1", "1,5", "--1", "1-", "1e2", "12.5\n"})
            QTest::addRow("float '%s'", text) << 1 << QString::fromLatin1(text) << false;
        // Digits of other scripts would be read as no number at all.
        const QString arabicIndic = QStringLiteral("\u0661\u0662");
        QTest::newRow("integer in other digits") << 0 << arabicIndic << false;
        QTest::newRow("float in other digits") << 1 << arabicIndic << false;
    }

    void validators()
    {
        QFETCH(int, type);
        QFETCH(QString, input);
        QFETCH(bool, accepted);
        std::unique_ptr<QValidator> validator(createNumberValidator(type, 3));
        QVERIFY(validator);
        QVERIFY(!validator->parent());
        int pos = input.size();
        const QValidator::State state = validator->validate(input, pos);
        QCOMPARE(state, accepted ? QValidator::Acceptable : QValidator::Invalid);
    }

    void validatorFactory()
    {
        QVERIFY(!createNumberValidator(2, 3));
        QVERIFY(!createNumberValidator(-1, 3));
        QObject owner;
        QPointer<QValidator> owned =
            createNumberValidator(kFloatingPointNumberValidator, 5, &owner);
        QVERIFY(dynamic_cast<FloatingPointNumberValidator *>(owned.data()));
        QCOMPARE(static_cast<FloatingPointNumberValidator *>(owned.data())->getMaximumLength(), 5);
        auto *integer = createNumberValidator(kIntegerNumberValidator, 4, &owner);
        QCOMPARE(static_cast<IntegerNumberValidator *>(integer)->getMaximumLength(), 4);
    }

    // Typing refuses what would make the text invalid; the validator lives with the edit.
    void numberLineEdits()
    {
        auto integer = std::make_unique<IntegerNumberLineEdit>(nullptr);
        QTest::keyClicks(integer.get(), QStringLiteral("1a2-3.45"));
        QCOMPARE(integer->text(), QStringLiteral("123"));
        QCOMPARE(integer->alignment(), Qt::AlignCenter);
        QCOMPARE(integer->validator()->parent(), integer.get());

        auto floating = std::make_unique<FloatingPointNumberLineEdit>(nullptr);
        QTest::keyClicks(floating.get(), QStringLiteral("-12.34"));
        QCOMPARE(floating->text(), QStringLiteral("-12.3"));
        QCOMPARE(floating->alignment(), Qt::AlignCenter);
        integer->setText(QStringLiteral("42"));
        floating->resize(80, 30);
        KivTest::saveShot(floating.get(), QStringLiteral("lineedit-float"));

        QPointer<const QValidator> validator = floating->validator();
        floating.reset();
        QVERIFY(validator.isNull());
    }

    void listWidgetRows()
    {
        NUVListWidget list(nullptr);
        QListWidget *rows = list.getListWidget();
        QCOMPARE(list.size(), QSize(229, 389));
        QCOMPARE(rows->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
        QVERIFY(rows->alternatingRowColors());
        QCOMPARE(rows->verticalScrollBar()->styleSheet(),
                 verticalScrollBarStyleSheet(QStringLiteral("464646")));

        // The settings page keeps which audiogroup a row names in the row.
        QList<AGSettingsListModelItem> items;
        for (int i = 0; i < 20; ++i)
            items << AGSettingsListModelItem(QStringLiteral("meter %1").arg(i / 4),
                                             QStringLiteral("ag %1").arg(i));
        for (const AGSettingsListModelItem &item : items) {
            auto *row = new QListWidgetItem(
                item.getInstrumentName() + QStringLiteral(" / ") + item.getAudioGroupName(), rows);
            row->setData(Qt::UserRole, QVariant::fromValue(item));
        }
        const QVariant asList = QVariant::fromValue(items);
        const auto back = asList.value<QList<AGSettingsListModelItem>>();
        QCOMPARE(back.size(), 20);
        QCOMPARE(back.at(7).getAudioGroupName(), QStringLiteral("ag 7"));
        const auto stored = rows->item(5)->data(Qt::UserRole).value<AGSettingsListModelItem>();
        QCOMPARE(stored.getInstrumentName(), QStringLiteral("meter 1"));
        QCOMPARE(stored.getAudioGroupName(), QStringLiteral("ag 5"));

        // Hovering shows nothing on a plain row and keeps a selected row's background.
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        rows->setCurrentRow(1);
        QWidget *viewport = rows->viewport();
        const QRect plainRow = rows->visualItemRect(rows->item(2));
        const QRect selectedRow = rows->visualItemRect(rows->item(1));
        // Right of the text, below the row's top line.
        const auto rowColour = [&](const QRect &row) {
            const QImage image = viewport->grab().toImage();
            return QColor(image.pixel(row.right() - 4, row.center().y() + 1)).name();
        };
        const QString plain = rowColour(plainRow);
        const QString selected = rowColour(selectedRow);
        QCOMPARE(plain, QStringLiteral("#707070"));
        QCOMPARE(rowColour(rows->visualItemRect(rows->item(3))), QStringLiteral("#656565"));
        QCOMPARE(selected, QStringLiteral("#898989"));
        QTest::mouseMove(viewport, plainRow.center());
        QCOMPARE(rowColour(plainRow), plain);
        QTest::mouseMove(viewport, selectedRow.center());
        QCOMPARE(rowColour(selectedRow), selected);
        KivTest::saveShot(&list, QStringLiteral("listwidget"));
    }

    void scrollBarStyles()
    {
        QCOMPARE(applyVerticalScrollBarStyle(nullptr), -1);
        QCOMPARE(applyHorizontalScrollBarStyle(nullptr), -1);
        QCOMPARE(applyColoredVerticalScrollBarStyle(nullptr, QStringLiteral("464646")), -1);

        QScrollBar vertical(Qt::Vertical);
        QCOMPARE(applyVerticalScrollBarStyle(&vertical), 0);
        const QString dark = vertical.styleSheet();
        QVERIFY(dark.startsWith(QLatin1String(
            "QScrollBar:vertical {border: 0px solid grey;background: #252525;width: 30px;")));
        QCOMPARE(dark.count(QLatin1String("#252525")), 4);
        QCOMPARE(applyColoredVerticalScrollBarStyle(&vertical, QStringLiteral("464646")), 0);
        QCOMPARE(vertical.styleSheet(), QString(dark).replace("252525", "464646"));

        // Both arrows are named as sub-controls, like every other rule of the sheet.
        QScrollBar horizontal(Qt::Horizontal);
        QCOMPARE(applyHorizontalScrollBarStyle(&horizontal), 0);
        const QString sheet = horizontal.styleSheet();
        QVERIFY(sheet.contains(QLatin1String("QScrollBar::left-arrow:horizontal {width: 22px;")));
        QCOMPARE(sheet.count(QLatin1String("QScrollBar:")),
                 1 + sheet.count(QLatin1String("QScrollBar::")));

        vertical.setStyleSheet(QString());
        applyVerticalScrollBarStyle(&vertical);
        vertical.setRange(0, 100);
        vertical.setPageStep(20);
        vertical.resize(30, 300);
        horizontal.setRange(0, 100);
        horizontal.setPageStep(20);
        horizontal.resize(400, 30);
        KivTest::saveShot(&vertical, QStringLiteral("scrollbar-vertical"));
        KivTest::saveShot(&horizontal, QStringLiteral("scrollbar-horizontal"));
        // The left arrow shows its picture, as light as the right one.
        const QImage image = horizontal.grab().toImage();
        const auto brightest = [&](int from, int to) {
            int best = 0;
            for (int x = from; x < to; ++x)
                for (int y = 0; y < image.height(); ++y)
                    best = qMax(best, qGray(image.pixel(x, y)));
            return best;
        };
        QCOMPARE(brightest(0, 16), brightest(image.width() - 16, image.width()));
    }
};

KIV_TEST_MAIN(TestStyledWidgets, QApplication)
#include "tst_styledwidgets.moc"
