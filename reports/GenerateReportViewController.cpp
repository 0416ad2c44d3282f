#include "GenerateReportViewController.h"

#include <AView.h>
#include <GUIFactory.h>

GenerateReportViewController::GenerateReportViewController() = default;

GenerateReportViewController::~GenerateReportViewController()
{
    delete m_view;
}

void GenerateReportViewController::init()
{
    m_view = GUIFactory::getInstance()->createView(kViewTypeGenerateReport);
    if (m_view) {
        connect(this, &GenerateReportViewController::show, m_view, &AView::onShow,
                Qt::QueuedConnection);
        connect(this, &GenerateReportViewController::hide, m_view, &AView::onHide,
                Qt::QueuedConnection);
    }
}

void GenerateReportViewController::stop()
{
    QMutexLocker lock(&m_mutex);
    m_busy = false;
    emit hide();
}

bool GenerateReportViewController::isBusy() const
{
    QMutexLocker lock(&m_mutex);
    return m_busy;
}

void GenerateReportViewController::startMonitoring(const QMultiMap<QString, QString> &, qint64)
{
    QMutexLocker lock(&m_mutex);
    m_busy = true;
    m_results.clear();
    emit show();
}

void GenerateReportViewController::onReportTaskFinished(const QString &nameKey, bool, bool,
                                                        const QString &message)
{
    QMutexLocker lock(&m_mutex);
    m_results.insert(nameKey, message);
}
