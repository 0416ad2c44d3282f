#include "FatalErrorBox.h"

#include <KivThread.h>

#include <QApplication>
#include <QMessageBox>
#include <QMetaObject>
#include <QSemaphore>
#include <QThread>

#include <memory>

namespace {

void showBoxOnGuiThread(const char *caption, const char *text)
{
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app)
        return;
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal"))
        return;
    const QString captionText = QString::fromUtf8(caption);
    const QString bodyText = QString::fromUtf8(text);
    if (QThread::currentThread() == app->thread()) {
        QMessageBox::critical(nullptr, captionText, bodyText);
        return;
    }
    struct Handshake {
        QSemaphore shown;
        QSemaphore closed;
    };
    auto handshake = std::make_shared<Handshake>();
    QMetaObject::invokeMethod(
        app,
        [handshake, captionText, bodyText] {
            handshake->shown.release();
            QMessageBox::critical(nullptr, captionText, bodyText);
            handshake->closed.release();
        },
        Qt::QueuedConnection);
    // A GUI thread that is itself stuck never shows the box: do not wait for it forever.
    if (handshake->shown.tryAcquire(1, 5000))
        handshake->closed.acquire();
}

} // namespace

void installFatalErrorBox() { setFatalErrorBoxHandler(&showBoxOnGuiThread); }
