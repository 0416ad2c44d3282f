#include "AgListItem.h"

#include "AgListButton.h"
#include "AgListStyles.h"
#include "NUVCheckbox.h"
#include "SemaphoreWidget.h"

#include <ASystem.h>

#include <QGridLayout>
#include <QLabel>
#include <QListWidgetItem>
#include <QPixmap>

namespace {

QLabel *addRowLabel(QWidget *parent, const QString &objectName, const QString &sheet)
{
    auto *label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setStyleSheet(sheet);
    return label;
}

QGridLayout *addGrid(QWidget *parent, const QString &objectName)
{
    auto *grid = parent ? new QGridLayout(parent) : new QGridLayout;
    grid->setObjectName(objectName);
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    return grid;
}

} // namespace

void elideLabelText(QLabel *label)
{
    if (!label)
        return;
    label->setToolTip(label->text());
    label->setText(label->fontMetrics().elidedText(label->text(), Qt::ElideRight,
                                                   label->width() - 50));
    const QString sheet =
        AgListStyles::largeLabelSheet() + QLatin1Char('\n') + AgListStyles::toolTipSheet();
    // An unchanged sheet would still polish the label again, at every refresh.
    if (label->styleSheet() != sheet)
        label->setStyleSheet(sheet);
}

AgListItem::AgListItem(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig,
                       int index)
    : QWidget(nullptr), m_form(std::make_unique<Form>()), m_instrumentConfig(instrumentConfig),
      m_agConfig(agConfig), m_index(index)
{
    setupForm();
    m_form->importedIndicator->setToolTip(
        tr("This audiogroup is imported; logging and live mode are not available."));
    m_item = new QListWidgetItem;
    updateUi();
    Form &f = *m_form;
    connect(f.agButton, &QPushButton::clicked, this, &AgListItem::onShowAgView,
            Qt::DirectConnection);
    connect(f.checkBox, &QCheckBox::clicked, this, &AgListItem::onCheckboxClick,
            Qt::DirectConnection);
    connect(f.statusSemaphore, &QPushButton::clicked, this, &AgListItem::onStatusSemaphoreClick,
            Qt::DirectConnection);
    connect(f.logSemaphore, &QPushButton::clicked, this, &AgListItem::onLogSemaphoreClick,
            Qt::DirectConnection);
}

AgListItem::~AgListItem()
{
    delete m_item;
    m_item = nullptr;
}

void AgListItem::setupForm()
{
    setObjectName(QStringLiteral("AgListItem"));
    resize(994, 60);
    setMinimumSize(994, 60);
    setStyleSheet(QStringLiteral("background-color: rgba(0, 0, 0, 0);"));

    Form &f = *m_form;
    f.gridLayout_2 = addGrid(this, QStringLiteral("gridLayout_2"));
    f.gridWidget = new QWidget(this);
    f.gridWidget->setObjectName(QStringLiteral("gridWidget"));
    f.gridWidget->setMinimumSize(994, 60);
    f.gridWidget->setStyleSheet(AgListStyles::checkBoxIndicatorSheet());
    f.gridLayout_2->addWidget(f.gridWidget, 0, 0);
    f.gridLayout_3 = addGrid(f.gridWidget, QStringLiteral("gridLayout_3"));

    f.indexLabel = addRowLabel(f.gridWidget, QStringLiteral("indexLabel"),
                               AgListStyles::largeLabelSheet());
    f.indexLabel->setMinimumSize(60, 60);
    f.indexLabel->setAlignment(Qt::AlignCenter);
    f.gridLayout_3->addWidget(f.indexLabel, 0, 0);

    f.gridLayout = addGrid(nullptr, QStringLiteral("gridLayout"));
    f.deviceLabel = addRowLabel(f.gridWidget, QStringLiteral("deviceLabel"),
                                AgListStyles::largeLabelSheet());
    f.deviceLabel->setMinimumSize(227, 35);
    f.deviceLabel->setMaximumHeight(35);
    f.deviceLabel->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    f.gridLayout->addWidget(f.deviceLabel, 0, 0);
    f.ipLabel = addRowLabel(f.gridWidget, QStringLiteral("ipLabel"),
                            AgListStyles::smallLabelSheet());
    f.ipLabel->setMinimumHeight(20);
    QFont ipFont = f.ipLabel->font();
    ipFont.setWeight(QFont::Normal);
    ipFont.setItalic(false);
    f.ipLabel->setFont(ipFont);
    f.ipLabel->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    f.gridLayout->addWidget(f.ipLabel, 1, 0);
    f.gridLayout_3->addLayout(f.gridLayout, 0, 1);

    f.gridWidget2 = new QWidget(f.gridWidget);
    f.gridWidget2->setObjectName(QStringLiteral("gridWidget2"));
    f.gridWidget2->setMinimumSize(227, 60);
    f.gridWidget2->setStyleSheet(AgListStyles::agButtonSheet());
    f.gridLayout3 = addGrid(f.gridWidget2, QStringLiteral("gridLayout3"));
    f.agButton = new AgListButton(f.gridWidget2);
    f.agButton->setMinimumSize(227, 60);
    f.gridLayout3->addWidget(f.agButton, 0, 0);
    f.gridLayout_3->addWidget(f.gridWidget2, 0, 2);

    f.checkBox = new NUVCheckbox(f.gridWidget);
    f.checkBox->setObjectName(QStringLiteral("checkBox"));
    f.checkBox->setMinimumSize(60, 60);
    f.checkBox->setStyleSheet(AgListStyles::checkBoxSheet());
    // The imported mark takes its place: the lights keep their columns.
    QSizePolicy keepPlace = f.checkBox->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    f.checkBox->setSizePolicy(keepPlace);
    f.gridLayout_3->addWidget(f.checkBox, 0, 3);

    f.statusSemaphore =
        AgListStyles::addLight(f.gridWidget, QStringLiteral("statusSemaphore"), 210);
    f.gridLayout_3->addWidget(f.statusSemaphore, 0, 4);
    f.logSemaphore = AgListStyles::addLight(f.gridWidget, QStringLiteral("logSemaphore"), 200);
    f.gridLayout_3->addWidget(f.logSemaphore, 0, 5);

    // Over the check-box column, outside the layout.
    f.importedIndicator = addRowLabel(f.gridWidget, QStringLiteral("importedIndicator"),
                                      AgListStyles::sideLinedLabelSheet());
    f.importedIndicator->setGeometry(524, 0, 60, 60);
    f.importedIndicator->setMinimumSize(60, 60);
    f.importedIndicator->setPixmap(
        QPixmap(QStringLiteral(":/dialog/dialog/IconMessageboxAlertYellow.png")));
    f.importedIndicator->setAlignment(Qt::AlignCenter);
    f.importedIndicator->hide();
}

void AgListItem::setConfigs(const InstrumentConfig &instrumentConfig, const AgConfig &agConfig)
{
    m_instrumentConfig = instrumentConfig;
    m_agConfig = agConfig;
}

void AgListItem::setIndex(int index)
{
    m_index = index;
}

void AgListItem::setStatusLightDescription(const StatusLightDescription &description)
{
    // The record comes with every refresh and mostly says what the row shows already.
    if (description == m_description)
        return;
    m_description = description;
    showLights();
}

namespace {

void showLight(SemaphoreWidget *light, int state, const QString &message)
{
    // A light that shows this text already keeps it: setting the state again would first
    // clear the text, and each change repaints.
    if (state == StatusLightDescription::kStateMessage) {
        if (light->getState() == state && light->getMessage() == message)
            return;
        light->setState(state);
        light->setMessage(message);
    } else {
        light->setState(state);
    }
}

} // namespace

void AgListItem::showLights()
{
    Form &f = *m_form;
    showLight(f.statusSemaphore, m_description.connectionState, m_description.connectionMessage);
    // Each new tool tip, even an equal one, has the style sheet looked at again.
    if (f.statusSemaphore->toolTip() != m_description.connectionNote)
        f.statusSemaphore->setToolTip(m_description.connectionNote);
    showLight(f.logSemaphore, m_description.violationState, m_description.violationMessage);
}

void AgListItem::updateUi()
{
    Form &f = *m_form;
    f.indexLabel->setText(QStringLiteral("%1").arg(m_index));
    // The device name keeps its shortened form between refreshes, with the whole name as
    // its tool tip.
    f.deviceLabel->setText(getInstrumentName());
    elideLabelText(f.deviceLabel);
    f.ipLabel->setText(getDisplayAddress());
    f.agButton->setLabelText(getAgSourceName());

    if (!m_agConfig.getImported()) {
        showLoggingChoice();
        f.checkBox->show();
        f.importedIndicator->hide();
    } else {
        f.checkBox->hide();
        f.importedIndicator->show();
    }
    showLights();
}

void AgListItem::showLoggingChoice()
{
    if (!m_agConfig.getImported())
        m_form->checkBox->setChecked(m_agConfig.getHasLoggingEnabled());
}

void AgListItem::resizeToWidth(int width)
{
    const QSize size(width - 34, height());
    m_item->setSizeHint(size);
    resize(size);
    m_form->deviceLabel->setText(getInstrumentName());
    elideLabelText(m_form->deviceLabel);
}

QString AgListItem::getInstrumentName() const
{
    return m_instrumentConfig.getName();
}

QString AgListItem::getAgSourceName() const
{
    return m_agConfig.getName();
}

QString AgListItem::getDisplayAddress() const
{
    return m_instrumentConfig.getIpAdr().remove(QStringLiteral("http://"), Qt::CaseSensitive);
}

void AgListItem::onShowAgView()
{
    emit showAgView(getInstrumentName(), getAgSourceName());
}

void AgListItem::onCheckboxClick()
{
    const bool enable = m_form->checkBox->isChecked();
    m_form->checkBox->setChecked(!enable);
    ASystem *system = ASystem::instance();
    if (!system)
        return;
    if (enable)
        system->enableAgLogging(getInstrumentName(), getAgSourceName());
    else
        system->disableAgLogging(getInstrumentName(), getAgSourceName());
}

void AgListItem::onLogSemaphoreClick()
{
    emit onResetAgViolationStatus(getInstrumentName(), getAgSourceName());
}

void AgListItem::onStatusSemaphoreClick()
{
    emit onResetAgAcquisitionStatus(getInstrumentName(), getAgSourceName());
}
