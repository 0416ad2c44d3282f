#include "NUVMarkerButton.h"

#include <QLabel>

NUVMarkerButton::NUVMarkerButton(QWidget *parent) : QPushButton(parent)
{
    setWindowTitle(QStringLiteral("Form"));
    resize(36, 52);
    setMaximumSize(36, 52);
    m_label = new QLabel(this);
    m_label->setObjectName(QStringLiteral("label"));
    m_label->setGeometry(0, 0, 36, 52);
    m_label->setMaximumSize(36, 52);
    m_label->setText(QString());
    connect(this, &QAbstractButton::clicked, this, &NUVMarkerButton::onClick);
}

NUVMarkerButton::~NUVMarkerButton() = default;

void NUVMarkerButton::setPixmaps(const QPixmap &on, const QPixmap &off, bool state)
{
    m_on = on;
    m_off = off;
    setState(state);
}

void NUVMarkerButton::setState(bool state)
{
    m_label->setPixmap(state ? m_on : m_off);
}

void NUVMarkerButton::onClick()
{
    emit markerOnOffClick();
}

void NUVMarkerButton::mouseMoveEvent(QMouseEvent *event)
{
    emit mouseMove(event);
}
