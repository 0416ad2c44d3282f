#include "NUVCheckbox.h"

NUVCheckbox::NUVCheckbox(QWidget *parent) : QCheckBox(parent) {}

NUVCheckbox::~NUVCheckbox() = default;

void NUVCheckbox::setClickOnFilteredEvents()
{
    m_clickOnFilteredEvents = true;
}

bool NUVCheckbox::eventFilter(QObject *watched, QEvent *event)
{
    if (m_clickOnFilteredEvents) {
        emit clicked(false);
        return true;
    }
    return QCheckBox::eventFilter(watched, event);
}
