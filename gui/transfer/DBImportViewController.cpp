#include "DBImportViewController.h"

#include <AGenerateReportView.h>
#include <ASystem.h>
#include <GUIFactory.h>
#include <ORQLogging.h>

#include <QMutexLocker>

#include <exception>
#include <limits>

namespace {

// Millisecond spans of long files do not fit a progress bar's int range: both values are
// divided alike, which keeps the proportion.
void scaleIntoIntRange(qlonglong &value, qlonglong &total)
{
    constexpr qlonglong kMax = std::numeric_limits<int>::max();
    const qlonglong largest = std::max(value < 0 ? -value : value, total < 0 ? -total : total);
    if (largest <= kMax)
        return;
    const qlonglong divisor = largest / kMax + 1;
    value /= divisor;
    total /= divisor;
}

} // namespace

DBImportViewController::DBImportViewController() = default;

DBImportViewController::~DBImportViewController()
{
    if (m_view)
        m_view->deleteLater();
    m_view = nullptr;
}

int DBImportViewController::init()
{
    if (m_view)
        return 0;
    AView *view = nullptr;
    try {
        view = GUIFactory::getInstance()->createView(kViewTypeGenerateReport);
    } catch (const std::exception &) {
        view = nullptr;
    }
    auto *progress = qobject_cast<AGenerateReportView *>(view);
    if (!progress) {
        delete view;
        KIV_LOG(1, "DBImportViewController: no import progress dialog\n");
        return -1;
    }
    m_view = progress;
    connect(this, &DBImportViewController::show, m_view, &AView::onShow, Qt::QueuedConnection);
    connect(this, &DBImportViewController::hide, m_view, &AView::onHide, Qt::QueuedConnection);
    connect(this, &DBImportViewController::updateUi, m_view,
            qOverload<const QString &, bool, qlonglong, qlonglong>(
                &AGenerateReportView::onUpdateUi),
            Qt::QueuedConnection);
    connect(m_view, &AGenerateReportView::CancelButtonClick, this,
            &DBImportViewController::onCancelButtonClick, Qt::DirectConnection);
    return 0;
}

void DBImportViewController::updateProgress(int cancelKey, const QString &text,
                                            bool cancelVisible, qlonglong value, qlonglong total)
{
    QMutexLocker lock(&m_mutex);
    m_cancelKey = cancelKey;
    scaleIntoIntRange(value, total);
    emit updateUi(text, cancelVisible, value, total);
    emit show();
}

void DBImportViewController::hideProgress()
{
    emit hide();
}

int DBImportViewController::getCancelKey() const
{
    QMutexLocker lock(&m_mutex);
    return m_cancelKey;
}

void DBImportViewController::onCancelButtonClick()
{
    const int key = getCancelKey();
    if (ASystem *system = ASystem::instance())
        system->cancelDbImport(key);
}
