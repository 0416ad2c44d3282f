#include "SystemViewController.h"

#include "AView.h"
#include "GUIFactory.h"
#include "KIVAlertBox.h"

#include <ASystem.h>

SystemViewController::SystemViewController() = default;

SystemViewController::~SystemViewController()
{
    delete m_view;
}

void SystemViewController::init()
{
    m_timer.init(kUpdateIntervalMs, this, &SystemViewController::onUpdateTimer);
    connect(this, &SystemViewController::showAlert, this, &SystemViewController::onShowAlert,
            Qt::QueuedConnection);
    m_view = GUIFactory::getInstance()->createView(kViewTypeSystem);
    if (!m_view)
        return;
    connect(this, &SystemViewController::show, m_view, &AView::onShow, Qt::QueuedConnection);
    connect(this, &SystemViewController::hide, m_view, &AView::onHide, Qt::QueuedConnection);
    // Closing the main window or its quit entry ends the program.
    connect(m_view, &AView::viewHide, this, &SystemViewController::onQuit, Qt::DirectConnection);
    connect(m_view, &AView::menuQuitApplication, this, &SystemViewController::onQuit,
            Qt::DirectConnection);
    connect(m_view, &AView::menuShowAboutWindow, this, &SystemViewController::onShowAboutWindow,
            Qt::DirectConnection);
}

void SystemViewController::start()
{
    emit show();
    m_timer.start();
}

void SystemViewController::stop()
{
    emit hide();
    m_timer.stop();
}

void SystemViewController::stopUpdateTimer()
{
    m_timer.stopAndWait();
}

void SystemViewController::updateSystemConfig(SystemConfig config)
{
    QMutexLocker lock(&m_mutex);
    m_data.setSystemConfig(config);
}

void SystemViewController::updateAcquisitionStatus(const QList<AcquisitionAg> &status)
{
    QMutexLocker lock(&m_mutex);
    m_data.setAcquisitionStatus(status);
}

void SystemViewController::updateAgViolationStatus(const AgViolations &violations,
                                                   const QString &instrumentName,
                                                   const QString &agName)
{
    QMutexLocker lock(&m_mutex);
    m_data.setViolations(instrumentName, agName, violations);
}

void SystemViewController::showAlertMessage(const QString &text)
{
    emit showAlert(text);
}

SystemUIData SystemViewController::getSystemUIData() const
{
    QMutexLocker lock(&m_mutex);
    return m_data;
}

void SystemViewController::onUpdateTimer()
{
    if (ASystem *system = ASystem::instance())
        system->requestStatusRefresh();
}

void SystemViewController::onQuit()
{
    if (ASystem *system = ASystem::instance())
        system->close();
}

void SystemViewController::onShowAboutWindow()
{
    if (ASystem *system = ASystem::instance())
        system->showAboutWindow();
}

void SystemViewController::onShowAlert(const QString &text)
{
    auto *box = new KIVAlertBox(nullptr);
    box->setText(text);
    connect(box, &KIVAlertBox::onClose, box, &QObject::deleteLater);
    box->show();
}
