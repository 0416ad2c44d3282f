#include "SemaphoreWidget.h"

#include <KivConstants.h>

#include <QFont>
#include <QLabel>
#include <QPixmap>

namespace {

// The lamps and the text lie over the button without taking its presses.
void passMouseThrough(QWidget *widget)
{
    widget->setAttribute(Qt::WA_TransparentForMouseEvents);
}

} // namespace

SemaphoreWidget::SemaphoreWidget(QWidget *parent, const QString &message)
    : QPushButton(parent), m_form(std::make_unique<Form>()), m_message(message)
{
    setupForm();
    m_state = 3;
    showYellow();
}

SemaphoreWidget::~SemaphoreWidget() = default;

const QString &SemaphoreWidget::grayLightPath()
{
    static const QString path = QString::fromLatin1(KivConstants::kIconLightGray);
    return path;
}

const QString &SemaphoreWidget::greenLightPath()
{
    static const QString path = QString::fromLatin1(KivConstants::kIconLightGreen);
    return path;
}

const QString &SemaphoreWidget::yellowLightPath()
{
    static const QString path = QString::fromLatin1(KivConstants::kIconLightYellow);
    return path;
}

const QString &SemaphoreWidget::redLightPath()
{
    static const QString path = QString::fromLatin1(KivConstants::kIconLightRed);
    return path;
}

void SemaphoreWidget::setupForm()
{
    setObjectName(QStringLiteral("SemaphoreWidget"));
    setWindowTitle(QStringLiteral("Form"));
    resize(210, 60);
    setMinimumWidth(210);

    Form &f = *m_form;
    f.semaphoreWidget = new QWidget(this);
    f.semaphoreWidget->setObjectName(QStringLiteral("semaphore_widget"));
    f.semaphoreWidget->setGeometry(0, 0, 210, 60);
    f.semaphoreWidget->setMinimumSize(210, 60);
    f.semaphoreWidget->setStyleSheet(
        QStringLiteral("background-color:rgba(255, 255, 255, 0);\nborder: none;\n"));
    passMouseThrough(f.semaphoreWidget);
    f.greenLabel = makeLamp("greenLabel", 40);
    f.yellowLabel = makeLamp("yellowLabel", 90);
    f.redLabel = makeLamp("redLabel", 140);

    f.messageWidget = new QWidget(this);
    f.messageWidget->setObjectName(QStringLiteral("message_widget"));
    f.messageWidget->setGeometry(0, 0, 210, 60);
    f.messageWidget->setMinimumSize(210, 60);
    f.messageWidget->setStyleSheet(QStringLiteral("background-color:rgba(255, 255, 255, 0)"));
    passMouseThrough(f.messageWidget);

    f.messageLabel = new QLabel(f.messageWidget);
    f.messageLabel->setObjectName(QStringLiteral("messageLabel"));
    f.messageLabel->setGeometry(0, 0, 210, 60);
    f.messageLabel->setFont(QFont(QStringLiteral("Verdana"), 15));
    f.messageLabel->setStyleSheet(
        QStringLiteral("background-color:rgba(255, 255, 255, 0);color : white;"));
    f.messageLabel->setAlignment(Qt::AlignCenter);
}

QLabel *SemaphoreWidget::makeLamp(const char *name, int x)
{
    auto *lamp = new QLabel(m_form->semaphoreWidget);
    lamp->setObjectName(QLatin1String(name));
    lamp->setGeometry(x, 15, 31, 31);
    lamp->setMinimumSize(31, 31);
    lamp->setPixmap(QPixmap(grayLightPath()));
    return lamp;
}

void SemaphoreWidget::setState(int state)
{
    // The main window sets every light twice a second; lights that already show the state
    // are left alone, since each new pixmap repaints them.
    if (state == m_state && m_lightsShown && state >= 1 && state <= 4)
        return;
    m_state = state;
    switch (state) {
    case 0:
        setMessage(QString());
        break;
    case 1:
        showGreen();
        break;
    case 2:
        showRed();
        break;
    case 3:
        showYellow();
        break;
    case 4:
        showAllGray();
        break;
    default:
        break;
    }
}

void SemaphoreWidget::setMessage(const QString &text)
{
    m_message = text;
    m_lightsShown = false;
    m_form->messageLabel->setVisible(true);
    m_form->semaphoreWidget->setVisible(false);
    m_form->messageLabel->setText(text);
}

void SemaphoreWidget::showAllGray()
{
    Form &f = *m_form;
    f.messageLabel->setVisible(false);
    f.semaphoreWidget->setVisible(true);
    const QPixmap gray(grayLightPath());
    f.greenLabel->setPixmap(gray);
    f.redLabel->setPixmap(gray);
    f.yellowLabel->setPixmap(gray);
    m_lightsShown = true;
}

void SemaphoreWidget::showLit(QLabel *lamp, const QString &path)
{
    showAllGray();
    lamp->setPixmap(QPixmap(path));
}

void SemaphoreWidget::showGreen()
{
    showLit(m_form->greenLabel, greenLightPath());
}

void SemaphoreWidget::showRed()
{
    showLit(m_form->redLabel, redLightPath());
}

void SemaphoreWidget::showYellow()
{
    showLit(m_form->yellowLabel, yellowLightPath());
}
