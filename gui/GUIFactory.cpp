#include "GUIFactory.h"

#include "AView.h"
#include "PlaceholderView.h"
#include "QTSplashScreen.h"

#include <ORQLogging.h>

#include <QApplication>
#include <QMutexLocker>
#include <QThread>

#include <exception>
#include <new>

GUIFactory::GUIFactory()
{
    qRegisterMetaType<ViewType>("ViewType");
}

GUIFactory::~GUIFactory() = default;

GUIFactory *GUIFactory::getInstance()
{
    static GUIFactory factory;
    return &factory;
}

void GUIFactory::init()
{
    QCoreApplication *app = QCoreApplication::instance();
    if (!app) {
        KIV_LOG(2, "GUIFactory: init without an application object\n");
        return;
    }
    if (thread() != app->thread()) {
        // Only the factory's own thread may push it to another one.
        if (thread() != QThread::currentThread()) {
            KIV_LOG(2, "GUIFactory: init called on a thread that does not own the factory\n");
            return;
        }
        moveToThread(app->thread());
    }
    connect(this, &GUIFactory::doCreateViewSignal, this, &GUIFactory::onDoCreateViewSignal,
            static_cast<Qt::ConnectionType>(Qt::BlockingQueuedConnection | Qt::UniqueConnection));
    m_initialised = true;
}

bool GUIFactory::onGuiThread() const
{
    const QCoreApplication *app = QCoreApplication::instance();
    return app && QThread::currentThread() == app->thread();
}

AView *GUIFactory::createView(ViewType type)
{
    if (!onGuiThread())
        return createViewFromWorkerThread(type);
    AView *view = nullptr;
    onDoCreateViewSignal(view, type);
    return view;
}

AView *GUIFactory::createViewFromWorkerThread(ViewType type)
{
    if (onGuiThread())
        return createView(type);
    const QCoreApplication *app = QCoreApplication::instance();
    if (!m_initialised || !app || thread() != app->thread()) {
        KIV_LOG(2, "GUIFactory: view %d requested before the factory was initialised\n",
                static_cast<int>(type));
        return nullptr;
    }
    AView *view = nullptr;
    emit doCreateViewSignal(view, type);
    return view;
}

void GUIFactory::onDoCreateViewSignal(AView *&view, const ViewType &type)
{
    view = nullptr;
    if (!isKnownViewType(type))
        return;
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()) || !onGuiThread()) {
        KIV_LOG(2,
                "GUIFactory: view %d cannot be built outside a widget application's GUI thread\n",
                static_cast<int>(type));
        return;
    }
    // An exception must not unwind through the event loop that delivered the request.
    try {
        view = buildView(type);
        if (view)
            view->initView();
    } catch (const std::exception &e) {
        KIV_LOG(2, "GUIFactory: building view %d failed: %s\n", static_cast<int>(type), e.what());
        delete view;
        view = nullptr;
    }
}

AView *GUIFactory::buildView(ViewType type)
{
    ViewCreator creator;
    {
        QMutexLocker lock(&m_creatorsMutex);
        creator = m_creators.value(type);
    }
    if (!creator)
        return new PlaceholderView(type, nullptr);
    AView *view = creator(type);
    if (!view)
        KIV_LOG(2, "GUIFactory: the creator of view %d built nothing\n", static_cast<int>(type));
    return view;
}

ASplashScreen *GUIFactory::createSplashScreen()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()) || !onGuiThread()) {
        KIV_LOG(2, "GUIFactory: the splash screen can only be built on the GUI thread\n");
        return nullptr;
    }
    try {
        return new QTSplashScreen(nullptr);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}

bool GUIFactory::registerViewCreator(ViewType type, ViewCreator creator)
{
    if (!isKnownViewType(type))
        return false;
    QMutexLocker lock(&m_creatorsMutex);
    if (creator)
        m_creators.insert(type, std::move(creator));
    else
        m_creators.remove(type);
    return true;
}

bool GUIFactory::hasViewCreator(ViewType type) const
{
    QMutexLocker lock(&m_creatorsMutex);
    return m_creators.contains(type);
}
