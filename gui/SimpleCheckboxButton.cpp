#include "SimpleCheckboxButton.h"

#include <QLabel>

SimpleCheckboxButton::SimpleCheckboxButton(QWidget *parent) : NUVCustomButton(parent)
{
    buildFaces(QStringLiteral("background-color: rgba(0,0,0,0);"), true);
    m_label = buildCentredLabel();
    updateCheckedLook();
    connect(this, &QPushButton::clicked, this, &SimpleCheckboxButton::onClick);
}

SimpleCheckboxButton::~SimpleCheckboxButton() = default;

void SimpleCheckboxButton::setChecked(bool checked)
{
    m_checked = checked;
    updateCheckedLook();
}

void SimpleCheckboxButton::setText(const QString &text)
{
    m_label->setText(text);
    updateCheckedLook();
}

QString SimpleCheckboxButton::text() const
{
    return m_label->text();
}

void SimpleCheckboxButton::onClick()
{
    m_checked = !m_checked;
    updateCheckedLook();
    emit onCheck(m_checked);
}

void SimpleCheckboxButton::updateCheckedLook()
{
    showCheckedFaces(m_checked);
}

void SimpleCheckboxButton::focusInEvent(QFocusEvent *)
{
    setFaceBorders(focusBorderColour());
}

void SimpleCheckboxButton::focusOutEvent(QFocusEvent *)
{
    setFaceBorders(plainBorderColour());
}
