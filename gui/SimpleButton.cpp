#include "SimpleButton.h"

#include <QLabel>

SimpleButton::SimpleButton(QWidget *parent) : NUVCustomButton(parent)
{
    buildFaces(QStringLiteral("background-color: rgba(0,0,0,0);border-radius: 10px;"), false);
    m_label = buildCentredLabel();
}

SimpleButton::~SimpleButton() = default;

void SimpleButton::setText(const QString &text)
{
    m_label->setText(text);
    updateGeometry();
}

QString SimpleButton::text() const
{
    return m_label->text();
}

void SimpleButton::focusInEvent(QFocusEvent *)
{
    setFaceBorders(focusBorderColour());
}

void SimpleButton::focusOutEvent(QFocusEvent *)
{
    setFaceBorders(plainBorderColour());
}
