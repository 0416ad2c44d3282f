#include "QTSystemView.h"

#include "AgList.h"
#include "AgListStyles.h"
#include "DoubleTextCheckboxButton.h"
#include "GUIFactory.h"
#include "KIVAlertBox.h"
#include "NUVMenu.h"
#include "ScrollBarStyles.h"
#include "SemaphoreWidget.h"
#include "SimpleButton.h"
#include "SystemUIData.h"
#include "TextRoom.h"
#include "WindowPlacement.h"

#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QScrollBar>
#include <QSpacerItem>

namespace {

const char *const kWindowSheet = "background-color: rgba(0,0,0,255);\n";
const char *const kTransparentSheet = "background-color: rgba(0,0,0,0);";
const char *const kHeaderShadowSheet =
    "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 "
    "rgba(0,0,0,40), stop:0.0566 rgba(0,0,0,40), stop:1 rgba(0,0,0,0));";
const char *const kSumSheet =
    "font: bold 15px; color: rgba(255, 255, 255, 255); text-align: center; background-color: "
    "rgba(0,0,0,0); border-left: 1px solid #2C2C2C; border-right: 1px solid #2C2C2C;";
const char *const kTableHeaderSheet =
    "QWidget {background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 "
    "rgba(116,116,116,255), stop:1 rgba(92,92,92,255));}\n"
    "QCheckBox::indicator {margin-left: 17px;}\n"
    "QCheckBox::indicator:checked {image: url(:/components/components/checkboxon.png); width: "
    "32px; height: 26px;}\n"
    "QCheckBox::indicator:unchecked {image: url(:/components/components/checkboxoff.png); "
    "width: 25px; height: 26px;}";
const char *const kHeaderLabelSheet =
    "font: 15px;\nfont-weight: bold;\ncolor: rgba(255, 255, 255, 255);\ntext-align: center;";
const char *const kListSheet =
    "QListWidget {color: white; show-decoration-selected: 1; background-color: rgba(70, 70, 70, "
    "255); alternate-background-color: rgba(92, 92, 92, 255); border: none; outline: 0;}\n"
    "QListWidget::item {color: white; border: none; border-top: 1px solid #2C2C2C;}\n"
    "QListWidget::item:selected, QListWidget::item:selected:hover {background-color: "
    "qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 #949494, stop:1 #686868); "
    "color: white;}\n"
    "QListWidget::item:hover:!selected {background-color: transparent;}\n"
    "QListWidget::item:focus {outline: none;}";
const char *const kFooterSheet =
    "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 "
    "rgba(0,0,0,102), stop:0.0162 rgba(0,0,0,51), stop:0.0163 rgba(49,49,49,255), stop:1 "
    "rgba(49,49,49,255));";

QWidget *addGridWidget(QWidget *parent, const QString &objectName, int minWidth, int minHeight,
                       QGridLayout **layout, const QString &layoutName)
{
    auto *widget = new QWidget(parent);
    widget->setObjectName(objectName);
    widget->setMinimumSize(minWidth, minHeight);
    auto *grid = new QGridLayout(widget);
    grid->setObjectName(layoutName);
    grid->setSpacing(0);
    grid->setContentsMargins(0, 0, 0, 0);
    *layout = grid;
    return widget;
}

QString fontElement(const QString &colour, const QString &text)
{
    return QStringLiteral("<font style=\"color: %1;\">%2</font>").arg(colour, text);
}

// Imported audiogroups have no meter behind them: their lights count for nothing here.
bool anyLoggedShows(const QList<StatusLightDescription> &descriptions, int state,
                    int StatusLightDescription::*field)
{
    for (const StatusLightDescription &d : descriptions) {
        if (!d.imported && d.*field == state)
            return true;
    }
    return false;
}

int worstState(const QList<StatusLightDescription> &descriptions,
               int StatusLightDescription::*field)
{
    for (int state : {StatusLightDescription::kStateRed, StatusLightDescription::kStateYellow,
                      StatusLightDescription::kStateGreen}) {
        if (anyLoggedShows(descriptions, state, field))
            return state;
    }
    return StatusLightDescription::kStateInactive;
}

} // namespace

QTSystemView::QTSystemView(ViewType type, QWidget *parent)
    : ASystemView(type, parent), m_form(std::make_unique<Form>())
{
    setupForm();
    Form &f = *m_form;
    f.startStop->setTexts(tr("START"), tr("STOP"));
    f.add->setText(tr("ADD"));
    f.remove->setText(tr("DELETE"));
    f.remove->setButtonEnabled(false);
    setWindowTitle(tr("KIV"));
    applyVerticalScrollBarStyle(f.list->verticalScrollBar());
    f.list->verticalScrollBar()->setContextMenuPolicy(Qt::NoContextMenu);

    connect(f.list, &AgList::showAgView, this, &ASystemView::showAgView, Qt::DirectConnection);
    connect(f.list, &AgList::itemSelectionChanged, this, &QTSystemView::onSelectionChanged,
            Qt::DirectConnection);
    connect(f.list, &AgList::onResetAgViolationStatus, this,
            &ASystemView::onResetAgViolationStatus, Qt::DirectConnection);
    connect(f.list, &AgList::onResetAgAcquisitionStatus, this,
            &ASystemView::onResetAgAcquisitionStatus, Qt::DirectConnection);
    connect(f.add, &QPushButton::clicked, this, &ASystemView::addButtonClick,
            Qt::DirectConnection);
    connect(f.remove, &QPushButton::clicked, this, &QTSystemView::onRemoveButtonClick,
            Qt::DirectConnection);
    connect(f.startStop, &DoubleTextCheckboxButton::onCheck, this,
            &QTSystemView::onStartStopButtonClick, Qt::DirectConnection);
    connect(this, qOverload<>(&AView::menuShowReportsWindow), this,
            &QTSystemView::onGenerateReportClick, Qt::DirectConnection);

    setTabOrder(f.startStop, f.add);
    setTabOrder(f.add, f.remove);
}

QTSystemView::~QTSystemView()
{
    // Boxes still open would outlive their window with nobody to close them.
    qDeleteAll(m_openAlertBoxes);
    m_openAlertBoxes.clear();
}

void QTSystemView::registerCreator()
{
    GUIFactory::getInstance()->registerViewCreator(
        kViewTypeSystem, [](ViewType type) -> AView * { return new QTSystemView(type, nullptr); });
}

void QTSystemView::setupForm()
{
    setObjectName(QStringLiteral("QTSystemView"));
    resize(1024, 722);
    setMinimumSize(1024, 722);
    setWindowIcon(QIcon(QStringLiteral(":/gui/menubar/kiv_icon.png")));
    setAutoFillBackground(false);
    setStyleSheet(QString::fromLatin1(kWindowSheet));

    Form &f = *m_form;
    f.gridLayout_2 = new QGridLayout(this);
    f.gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    f.gridLayout_2->setSpacing(0);
    f.gridLayout_2->setContentsMargins(0, 0, 0, 0);

    QGridLayout *menuLayout = nullptr;
    f.menuBarWrapper = addGridWidget(this, QStringLiteral("menuBarWrapper"), 1024, 30, &menuLayout,
                                     QStringLiteral("gridLayout_4"));
    f.menuBarWrapper->setStyleSheet(QStringLiteral("background-color: white;"));
    f.menuBar = new NUVMenu(f.menuBarWrapper);
    f.menuBar->setObjectName(QStringLiteral("menuBar"));
    f.menuBar->setMinimumSize(1024, 30);
    QPalette palette = f.menuBar->palette();
    const QBrush white(QColor(255, 255, 255, 255));
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (QPalette::ColorRole role : {QPalette::Button, QPalette::Base, QPalette::Window})
            palette.setBrush(group, role, white);
    }
    f.menuBar->setPalette(palette);
    QFont menuFont = f.menuBar->font();
    menuFont.setPointSize(10);
    menuFont.setItalic(false);
    f.menuBar->setFont(menuFont);
    f.menuBar->setContextMenuPolicy(Qt::CustomContextMenu);
    f.menuBar->setAutoFillBackground(false);
    menuLayout->addWidget(f.menuBar, 0, 0);
    f.gridLayout_2->addWidget(f.menuBarWrapper, 0, 0);

    QGridLayout *wrapperLayout = nullptr;
    f.wrapper = addGridWidget(this, QStringLiteral("wrapper"), 1024, 692, &wrapperLayout,
                              QStringLiteral("gridLayout_3"));
    QGridLayout *mainLayout = nullptr;
    f.gridWidget = addGridWidget(f.wrapper, QStringLiteral("gridWidget"), 1024, 692, &mainLayout,
                                 QStringLiteral("gridLayout"));
    wrapperLayout->addWidget(f.gridWidget, 0, 0);
    f.gridLayout_2->addWidget(f.wrapper, 1, 0);

    setupTopBar(mainLayout);
    setupTableHeader(mainLayout);

    f.list = new AgList(f.gridWidget);
    f.list->setObjectName(QStringLiteral("list"));
    f.list->setMinimumSize(1024, 400);
    f.list->setStyleSheet(QString::fromLatin1(kListSheet));
    f.list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    f.list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    f.list->setAlternatingRowColors(true);
    f.list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    f.list->setSelectionBehavior(QAbstractItemView::SelectRows);
    f.list->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    mainLayout->addWidget(f.list, 2, 0);

    setupFooter(mainLayout);
}

void QTSystemView::setupTopBar(QGridLayout *parentLayout)
{
    Form &f = *m_form;
    QGridLayout *topLayout = nullptr;
    f.topBarWrapper = addGridWidget(f.gridWidget, QStringLiteral("topBarWrapper"), 1024, 60,
                                    &topLayout, QStringLiteral("gridLayout_31"));
    f.topBarWrapper->setMaximumHeight(90);
    f.topBarWrapper->setStyleSheet(QStringLiteral("background-color: #656565;\noutline: 0;"));
    parentLayout->addWidget(f.topBarWrapper, 0, 0);

    f.headerShadow = new QWidget(f.topBarWrapper);
    f.headerShadow->setObjectName(QStringLiteral("headerShadow"));
    f.headerShadow->setMinimumSize(1024, 60);
    f.headerShadow->setStyleSheet(QString::fromLatin1(kHeaderShadowSheet));
    topLayout->addWidget(f.headerShadow, 0, 0);

    QGridLayout *controls = nullptr;
    f.controllsWrapperWidget =
        addGridWidget(f.topBarWrapper, QStringLiteral("controllsWrapperWidget"), 1024, 60,
                      &controls, QStringLiteral("controlsWrapper"));
    f.controllsWrapperWidget->setMaximumHeight(60);
    f.controllsWrapperWidget->setStyleSheet(QStringLiteral("background-color: none;"));
    topLayout->addWidget(f.controllsWrapperWidget, 0, 0);

    f.logo = new QLabel(f.controllsWrapperWidget);
    f.logo->setObjectName(QStringLiteral("logo"));
    f.logo->setMinimumWidth(132);
    f.logo->setStyleSheet(
        QStringLiteral("margin-left: 23px;\nmargin-right: 23px;\nmargin-top: 6px;"));
    f.logo->setPixmap(QPixmap(QStringLiteral(":/main/NUV_logo.png")));
    f.logo->setMargin(0);
    controls->addWidget(f.logo, 0, 0);
    controls->addItem(new QSpacerItem(5, 0, QSizePolicy::MinimumExpanding, QSizePolicy::Minimum),
                      0, 1);

    f.leftButtonsWrapper = new QWidget(f.controllsWrapperWidget);
    f.leftButtonsWrapper->setObjectName(QStringLiteral("leftButtonsWrapper"));
    f.leftButtonsWrapper->setMinimumSize(173, 60);
    f.leftButtonsWrapper->setStyleSheet(QString());
    controls->addWidget(f.leftButtonsWrapper, 0, 2);
    f.startStop = new DoubleTextCheckboxButton(f.leftButtonsWrapper);
    f.startStop->setObjectName(QStringLiteral("startStop"));
    f.startStop->setGeometry(0, 7, 46, 47);
    f.startStop->setButtonEnabled(true);
    f.remove = new SimpleButton(f.leftButtonsWrapper);
    f.remove->setObjectName(QStringLiteral("remove"));
    f.remove->setGeometry(127, 7, 46, 47);
    f.remove->setButtonEnabled(true);
    f.add = new SimpleButton(f.leftButtonsWrapper);
    f.add->setObjectName(QStringLiteral("add"));
    f.add->setGeometry(76, 7, 46, 47);
    f.add->setButtonEnabled(true);
    TextRoom::growRow(f.leftButtonsWrapper);

    controls->addItem(new QSpacerItem(30, 0, QSizePolicy::Fixed, QSizePolicy::Minimum), 0, 3);

    f.generalSemaphoresWrapper = new QWidget(f.controllsWrapperWidget);
    f.generalSemaphoresWrapper->setObjectName(QStringLiteral("generalSemaphoresWrapper"));
    f.generalSemaphoresWrapper->setMinimumSize(500, 60);
    f.generalSemaphoresWrapper->setStyleSheet(QString::fromLatin1(kTransparentSheet));
    auto *lights = new QHBoxLayout(f.generalSemaphoresWrapper);
    lights->setObjectName(QStringLiteral("horizontalLayout"));
    lights->setSpacing(0);
    lights->setContentsMargins(0, 0, 0, 0);
    f.sum = new QLabel(f.generalSemaphoresWrapper);
    f.sum->setObjectName(QStringLiteral("sum"));
    f.sum->setMinimumSize(60, 60);
    f.sum->setText(tr("SUM"));
    f.sum->setAlignment(Qt::AlignCenter);
    f.sum->setStyleSheet(QString::fromLatin1(kSumSheet));
    lights->addWidget(f.sum);
    f.globalStatusSemaphore = AgListStyles::addLight(
        f.generalSemaphoresWrapper, QStringLiteral("globalStatusSemaphore"), 210);
    lights->addWidget(f.globalStatusSemaphore);
    f.globalLogSemaphore = AgListStyles::addLight(f.generalSemaphoresWrapper,
                                                  QStringLiteral("globalLogSemaphore"), 200);
    lights->addWidget(f.globalLogSemaphore);
    lights->addItem(new QSpacerItem(30, 0, QSizePolicy::Fixed, QSizePolicy::Minimum));
    controls->addWidget(f.generalSemaphoresWrapper, 0, 4);
}

void QTSystemView::setupTableHeader(QGridLayout *parentLayout)
{
    Form &f = *m_form;
    QGridLayout *header = nullptr;
    f.tableHeader = addGridWidget(f.gridWidget, QStringLiteral("tableHeader"), 1024, 60, &header,
                                  QStringLiteral("gridLayout2"));
    f.tableHeader->setStyleSheet(QString::fromLatin1(kTableHeaderSheet));
    const struct
    {
        const char *name;
        int minWidth;
        QString text;
    } columns[] = {
        {"indexLabel", 60, tr("NO.")},
        {"deviceLabel", 227, tr("DEVICE")},
        {"agNameLabel", 155, tr("AUDIOGROUP")},
        {"log", 60, tr("LOG?")},
        {"statusLog", 205, tr("STATUS LOG")},
        {"loudnessStatus", 235, tr("LOUDNESS/\nTP STATUS")},
    };
    int column = 0;
    for (const auto &c : columns) {
        auto *label = new QLabel(f.tableHeader);
        label->setObjectName(QString::fromLatin1(c.name));
        label->setMinimumSize(c.minWidth, 60);
        label->setText(c.text);
        label->setAlignment(Qt::AlignCenter);
        label->setStyleSheet(QString::fromLatin1(kHeaderLabelSheet));
        header->addWidget(label, 0, column++);
    }
    parentLayout->addWidget(f.tableHeader, 1, 0);
}

void QTSystemView::setupFooter(QGridLayout *parentLayout)
{
    Form &f = *m_form;
    QGridLayout *footer = nullptr;
    f.footer = addGridWidget(f.gridWidget, QStringLiteral("footer"), 1024, 123, &footer,
                             QStringLiteral("gridLayout_5"));
    f.footer->setStyleSheet(QString::fromLatin1(kFooterSheet));
    parentLayout->addWidget(f.footer, 3, 0);

    auto *row = new QHBoxLayout;
    row->setObjectName(QStringLiteral("overviewStatusHorizontalLayout"));
    row->setSpacing(0);
    row->setContentsMargins(0, 0, 0, 0);
    row->addItem(new QSpacerItem(79, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));
    QGridLayout *grid = nullptr;
    f.overviewStatusGrid = addGridWidget(f.footer, QStringLiteral("overviewStatusGrid"), 0, 0,
                                         &grid, QStringLiteral("gridLayout_6"));
    f.overviewStatusGrid->setStyleSheet(
        QStringLiteral("background: rgba(0,0,0,0);\nfont-size: 21px;\ncolor: #ffffff;"));
    row->addWidget(f.overviewStatusGrid);
    row->addItem(new QSpacerItem(30, 20, QSizePolicy::Fixed, QSizePolicy::Minimum));
    footer->addLayout(row, 0, 0);

    grid->addItem(new QSpacerItem(20, 20, QSizePolicy::Minimum, QSizePolicy::Fixed), 0, 0, 1, 2);
    auto addFooterLabel = [&f](const char *name) {
        auto *label = new QLabel(f.overviewStatusGrid);
        label->setObjectName(QString::fromLatin1(name));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    };
    f.loggingActive = addFooterLabel("loggingActive");
    grid->addWidget(f.loggingActive, 1, 0);
    f.currentPreset = addFooterLabel("currentPreset");
    grid->addWidget(f.currentPreset, 2, 0, 1, 2);
    f.lastConfigurationChange = addFooterLabel("lastConfigurationChange");
    grid->addWidget(f.lastConfigurationChange, 3, 0, 1, 2);
}

int QTSystemView::initView()
{
    m_form->menuBar->setupMenus(this);
    return 0;
}

void QTSystemView::setStatusLightsClock(StatusLightsManager::Clock clock)
{
    m_statusLightsManager = StatusLightsManager(std::move(clock));
}

void QTSystemView::update(const SystemUIData &state)
{
    if (state.getConfigRevision() != m_keptConfigRevision || state.getConfigRevision() == 0) {
        m_systemConfig = state.getSystemConfig();
        m_keptConfigRevision = state.getConfigRevision();
    }
    // The lights' records age with time: they are kept even while nobody sees them.
    m_statusLightsManager.update(state);
    // A hidden or minimised window draws nothing; it catches up when it is shown again.
    if (!isShownToUser()) {
        m_refreshWhenShown = true;
        return;
    }
    showState();
}

bool QTSystemView::isShownToUser() const
{
    return isVisible() && !isMinimized();
}

void QTSystemView::showState()
{
    Form &f = *m_form;
    m_refreshWhenShown = false;
    // Rebuilding every row's texts at every refresh cost more than all the rest of the
    // window; only a new configuration changes them.
    if (m_keptConfigRevision != m_shownConfigRevision || m_keptConfigRevision == 0) {
        f.list->updateConfig(m_systemConfig);
        m_shownConfigRevision = m_keptConfigRevision;
    } else {
        // A click the system did not take is undone, as a rebuild would.
        f.list->showLoggingChoices();
    }
    f.startStop->setChecked(m_systemConfig.getManualAcquisitionOn());
    updateStatusLights();
    updateFooter();
}

void QTSystemView::showEvent(QShowEvent *event)
{
    ASystemView::showEvent(event);
    if (m_refreshWhenShown && isShownToUser())
        showState();
}

void QTSystemView::changeEvent(QEvent *event)
{
    ASystemView::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && m_refreshWhenShown && isShownToUser())
        showState();
}

void QTSystemView::updateStatusLights()
{
    const QList<StatusLightDescription> descriptions =
        m_statusLightsManager.getStatusLightDescriptions();
    m_form->globalStatusSemaphore->setState(worstConnectionState(descriptions));
    m_form->globalLogSemaphore->setState(worstViolationState(descriptions));
    m_form->list->applyStatusLights(descriptions);
}

int QTSystemView::worstConnectionState(const QList<StatusLightDescription> &descriptions)
{
    return worstState(descriptions, &StatusLightDescription::connectionState);
}

int QTSystemView::worstViolationState(const QList<StatusLightDescription> &descriptions)
{
    return worstState(descriptions, &StatusLightDescription::violationState);
}

QString QTSystemView::loggingActiveText(bool active)
{
    const QString white = QStringLiteral("#ffffff");
    return QStringLiteral("<html><head/><body>") +
           fontElement(white, QStringLiteral("KIV logging active: ")) +
           fontElement(active ? QStringLiteral("#00ff00") : white, QStringLiteral("YES")) +
           fontElement(white, QStringLiteral("/")) +
           fontElement(active ? white : QStringLiteral("#ff0000"), QStringLiteral("NO")) +
           QStringLiteral("</body></html>");
}

const QString &QTSystemView::selectionHint()
{
    static const QString text =
        QStringLiteral("Select an audiogroup from the list for advanced info");
    return text;
}

void QTSystemView::updateFooter()
{
    Form &f = *m_form;
    const QMultiMap<QString, QString> selection = f.list->getSelectedAudioGroups();
    if (selection.size() == 1 &&
        m_systemConfig.hasAgConfig(selection.firstKey(), selection.first())) {
        const InstrumentConfig instrument = m_systemConfig.getInstrument(selection.firstKey());
        const AgConfig ag = instrument.getAgConfig(selection.first());
        QString preset = instrument.getPresetName();
        if (preset.isEmpty())
            preset = QStringLiteral("N/A");
        QString change = instrument.getLastConfigurationChange();
        if (change.isEmpty())
            change = QStringLiteral("N/A");
        const bool logging = !ag.getImported() && m_systemConfig.getManualAcquisitionOn() &&
                             ag.getHasLoggingEnabled();
        f.loggingActive->setText(loggingActiveText(logging));
        f.currentPreset->setText(tr("Current device preset: %1").arg(preset));
        f.lastConfigurationChange->setText(tr("Last device configuration change: %1").arg(change));
        f.loggingActive->show();
        f.currentPreset->show();
        f.lastConfigurationChange->show();
        return;
    }
    f.currentPreset->hide();
    f.lastConfigurationChange->hide();
    if (f.list->count() == 0) {
        f.loggingActive->hide();
    } else {
        f.loggingActive->setText(selectionHint());
        f.loggingActive->show();
    }
}

void QTSystemView::onSelectionChanged()
{
    m_form->remove->setButtonEnabled(!m_form->list->selectedItems().isEmpty());
    updateFooter();
}

void QTSystemView::onRemoveButtonClick()
{
    if (m_form->list->selectedItems().isEmpty())
        return;
    emit deleteButtonClick(m_form->list->getSelectedAudioGroups());
}

void QTSystemView::onGenerateReportClick()
{
    emit menuShowReportsWindow(m_form->list->getSelectedAudioGroups());
}

void QTSystemView::onStartStopButtonClick(bool start)
{
    // The button shows the system's state: it goes back until an update reports the change.
    m_form->startStop->setChecked(!start);
    emit startStopButtonClick(start);
}

void QTSystemView::onAutoButtonClick(bool on)
{
    emit autoButtonClick(on);
}

void QTSystemView::onShowAlert(const QString &text)
{
    auto *box = new KIVAlertBox(nullptr);
    box->setText(text);
    box->setButtonText(tr("OK"));
    connect(box, &KIVAlertBox::onClose, this, &QTSystemView::onAlertClose, Qt::DirectConnection);
    box->adjustSize();
    m_openAlertBoxes.append(box);
    // Over the window the user works in, not where the window system puts a new window.
    box->showOver(WindowPlacement::boxOwner(this));
}

void QTSystemView::onAlertClose(KIVAlertBox *box)
{
    if (m_openAlertBoxes.removeOne(box))
        box->deleteLater();
}
