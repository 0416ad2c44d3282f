#pragma once

#include "AView.h"
#include "ViewType.h"

#include <QHash>
#include <QMutex>
#include <QObject>

#include <atomic>
#include <functional>

class ASplashScreen;

// Builds every window of the program on the GUI thread. A worker thread's request is
// carried to the GUI thread and the worker waits for the finished window.
//
// The windows of the upper folders (main window, audiogroup window, settings, ...) are
// built by creators that those folders register per ViewType, so this library links none
// of them. A known type without a creator gets a placeholder window.
class GUIFactory : public QObject
{
    Q_OBJECT
public:
    // Builds the concrete window of a type as a new hidden top-level window (no parent).
    // Runs on the GUI thread; null when it cannot build one.
    using ViewCreator = std::function<AView *(ViewType type)>;

    // The one factory, built on first use.
    static GUIFactory *getInstance();

    // Moves the factory to the GUI thread and connects the view-creation signal
    // blocking-queued. Call once, on the thread that first used the factory (main), after
    // the application object exists.
    void init();

    // For callers on the GUI thread; from another thread the request is carried over.
    AView *createView(ViewType type);
    // For callers on worker threads: blocks until the GUI thread has built the window. On
    // the GUI thread itself it builds directly (a blocking-queued call to itself would never
    // return).
    AView *createViewFromWorkerThread(ViewType type);
    // createView, converted to the window's interface; null, and the window deleted, when
    // the factory built none or another kind.
    template <typename Interface> Interface *createViewAs(ViewType type)
    {
        AView *view = createView(type);
        auto *converted = dynamic_cast<Interface *>(view);
        if (!converted)
            delete view;
        return converted;
    }

    // A new splash screen without a parent, or null; the caller owns it. GUI thread only.
    ASplashScreen *createSplashScreen();

    // Sets the creator of a type; a null creator removes it. False for an unknown type.
    // Any thread; takes effect for the next window of that type.
    bool registerViewCreator(ViewType type, ViewCreator creator);
    bool hasViewCreator(ViewType type) const;

signals:
    void doCreateViewSignal(AView *&view, ViewType type);

public slots:
    // Builds the window of the type into view (null for an unknown type) and runs its
    // initView once.
    void onDoCreateViewSignal(AView *&view, const ViewType &type);

private:
    GUIFactory();
    ~GUIFactory() override;
    bool onGuiThread() const;
    AView *buildView(ViewType type);

    mutable QMutex m_creatorsMutex;
    QHash<int, ViewCreator> m_creators;
    std::atomic<bool> m_initialised{false};
};
