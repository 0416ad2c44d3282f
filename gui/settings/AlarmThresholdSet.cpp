#include "AlarmThresholdSet.h"

#include "AlarmThreshold.h"
#include "SettingsStyles.h"

#include <AgConfig.h>
#include <DialogStyles.h>
#include <TextRoom.h>

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStackedWidget>

#include <algorithm>

namespace {

const QString &accordionButtonSheet()
{
    static const QString sheet = QStringLiteral(
        "QPushButton {color: white; border: none; border-top: 1px solid rgba(0,0,0,191); "
        "outline: none; background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, "
        "stop:0 #D3D3D3, stop:1 #A5A5A5);}\n"
        "QPushButton:pressed {background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, "
        "y2:1, stop:0 #898989, stop:1 #ADADAD);}");
    return sheet;
}

QPushButton *addAccordionButton(QWidget *parent, const QString &name, const QString &text, int y)
{
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(0, y, 622, 51);
    button->setFixedSize(622, 51);
    button->setFont(DialogStyles::verdana(18, QFont::Bold));
    button->setFocusPolicy(Qt::ClickFocus);
    button->setStyleSheet(accordionButtonSheet());
    return button;
}

} // namespace

AlarmThresholdSet::AlarmThresholdSet(QWidget *parent)
    : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
    // Auto-reconnect is carried through unchanged, not shown.
    m_form->autoReconnectStaticLabel->hide();
    m_form->autoReconnectPerAgCheckBox->setEnabled(false);
    m_form->autoReconnectPerAgCheckBox->hide();
    place(m_mainShown, 0);
    fitToText();
}

AlarmThresholdSet::~AlarmThresholdSet() = default;

void AlarmThresholdSet::fitToText()
{
    // As wide as the widest of the pages, the accordion's captions with a margin of
    // kButtonMargin on either side, and the header's switch.
    constexpr int kButtonMargin = 40;
    Form &f = *m_form;
    TextRoom::growRow(f.header);
    int need = std::max({width(), f.firstThresholdWidget->fitToText(),
                         f.secondThresholdWidget->fitToText(), f.header->minimumWidth()});
    for (const QPushButton *button : {f.mainThresholdButton, f.secondaryThresholdButton})
        need = std::max(need, button->fontMetrics().horizontalAdvance(button->text()) +
                                  2 * kButtonMargin);
    if (need == width())
        return;
    const int width = need;
    setFixedWidth(width);
    for (QWidget *part :
         {f.header, f.thresholdSet, static_cast<QWidget *>(f.thresholdsStackedWidget)})
        part->resize(width, part->height());
    for (QPushButton *button : {f.mainThresholdButton, f.secondaryThresholdButton})
        button->setFixedWidth(width);
    for (AlarmThreshold *page : {f.firstThresholdWidget, f.secondThresholdWidget})
        page->resize(width, page->height());
}

void AlarmThresholdSet::setupForm()
{
    setObjectName(QStringLiteral("AlarmThresholdSet"));
    setWindowTitle(QStringLiteral("Form"));
    setFixedSize(622, 521);

    Form &f = *m_form;
    f.header = SettingsStyles::addPanel(this, QStringLiteral("header"), QRect(0, 0, 622, 90),
                                        SettingsStyles::panelGradientSheet());
    f.header->setMinimumHeight(90);
    f.header->setMaximumHeight(93);

    // A caption and its check box in the header.
    auto addSwitch = [&f](QLabel *&label, const char *labelName, const QString &text,
                          QCheckBox *&box, const char *boxName, int y) {
        label = SettingsStyles::addWhiteLabel(f.header, QString::fromLatin1(labelName), text, 13);
        // Wide enough for the text in fonts wider than Verdana, up to the check box.
        label->setGeometry(157, y, 290, 24);
        box = SettingsStyles::addCheckBox(f.header, QString::fromLatin1(boxName));
        box->setStyleSheet(SettingsStyles::checkBoxSheet(true));
        box->setGeometry(455, y, 41, 30);
    };
    addSwitch(f.enableAlertsPerAgStaticLabel, "enableAlertsPerAgStaticLabel",
              tr("Enable alerts per audiogroup"), f.alertsPerAgCheckBox, "alertsPerAgCheckBox", 19);
    addSwitch(f.autoReconnectStaticLabel, "autoReconnectStaticLabel",
              tr("Auto-reconnect per audiogroup"), f.autoReconnectPerAgCheckBox,
              "autoReconnectPerAgCheckBox", 54);

    f.thresholdSet = SettingsStyles::addPanel(this, QStringLiteral("thresholdSet"),
                                              QRect(0, 90, 622, 431),
                                              SettingsStyles::panelGradientSheet());

    f.mainThresholdButton =
        addAccordionButton(f.thresholdSet, QStringLiteral("mainThresholdButton"),
                           tr("Main Alarm Threshold Set"), 0);
    f.thresholdsStackedWidget = new QStackedWidget(f.thresholdSet);
    f.thresholdsStackedWidget->setObjectName(QStringLiteral("thresholdsStackedWidget"));
    f.thresholdsStackedWidget->setGeometry(0, 51, 622, 329);
    f.firstThresholdWidget = new AlarmThreshold(nullptr);
    f.firstThresholdWidget->setObjectName(QStringLiteral("firstThresholdWidget"));
    f.thresholdsStackedWidget->addWidget(f.firstThresholdWidget);
    f.secondThresholdWidget = new AlarmThreshold(nullptr);
    f.secondThresholdWidget->setObjectName(QStringLiteral("secondThresholdWidget"));
    f.thresholdsStackedWidget->addWidget(f.secondThresholdWidget);
    f.secondaryThresholdButton =
        addAccordionButton(f.thresholdSet, QStringLiteral("secondaryThresholdButton"),
                           tr("Secondary Alarm Threshold Set"), 380);

    QMetaObject::connectSlotsByName(this);
}

AlarmThreshold *AlarmThresholdSet::getMainThreshold() const
{
    return m_form->firstThresholdWidget;
}

AlarmThreshold *AlarmThresholdSet::getSecondaryThreshold() const
{
    return m_form->secondThresholdWidget;
}

void AlarmThresholdSet::clear()
{
    m_form->firstThresholdWidget->clear();
    m_form->secondThresholdWidget->clear();
    m_form->alertsPerAgCheckBox->setChecked(false);
}

void AlarmThresholdSet::populate(const AgConfig &config)
{
    Form &f = *m_form;
    f.alertsPerAgCheckBox->setChecked(config.getAlertsEnabled());
    f.autoReconnectPerAgCheckBox->setChecked(config.getAutoreconnect());

    AlarmThreshold &main = *f.firstThresholdWidget;
    main.setIUpper(config.getIUpperThreshold());
    main.setIUpperCount(config.getIUpperCountMainThreshold());
    main.setILower(config.getILowerThreshold());
    main.setILowerCount(config.getILowerCountMainThreshold());
    main.setMUpper(config.getMUpperThreshold());
    main.setMCount(config.getMCountMainThreshold());
    main.setSUpper(config.getSUpperThreshold());
    main.setSCount(config.getSCountMainThreshold());
    main.setTPUpper(config.getTPUpperThreshold());
    main.setTPCount(config.getTPCountMainThreshold());
    main.setActive(config.getMainThresholdActiveState());

    AlarmThreshold &secondary = *f.secondThresholdWidget;
    secondary.setIUpper(config.getIUpperSecondaryThreshold());
    secondary.setIUpperCount(config.getIUpperCountSecondaryThreshold());
    secondary.setILower(config.getILowerSecondaryThreshold());
    secondary.setILowerCount(config.getILowerCountSecondaryThreshold());
    secondary.setMUpper(config.getMUpperSecondaryThreshold());
    secondary.setMCount(config.getMCountSecondaryThreshold());
    secondary.setSUpper(config.getSUpperSecondaryThreshold());
    secondary.setSCount(config.getSCountSecondaryThreshold());
    secondary.setTPUpper(config.getTPUpperSecondaryThreshold());
    secondary.setTPCount(config.getTPCountSecondaryThreshold());
    secondary.setActive(config.getSecondaryThresholdActiveState());
}

bool AlarmThresholdSet::isAlertsEnabledChecked() const
{
    return m_form->alertsPerAgCheckBox->isChecked();
}

bool AlarmThresholdSet::isAutoreconnectChecked() const
{
    return m_form->autoReconnectPerAgCheckBox->isChecked();
}

void AlarmThresholdSet::on_mainThresholdButton_clicked()
{
    place(m_mainShown, 0);
}

void AlarmThresholdSet::on_secondaryThresholdButton_clicked()
{
    place(m_secondaryShown, 1);
}

void AlarmThresholdSet::place(const Placement &placement, int page)
{
    Form &f = *m_form;
    f.mainThresholdButton->move(0, placement.mainButtonY);
    f.secondaryThresholdButton->move(0, placement.secondaryButtonY);
    f.thresholdsStackedWidget->move(0, placement.pagesY);
    f.thresholdsStackedWidget->setCurrentIndex(page);
}
