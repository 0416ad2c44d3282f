#include "AgViewZoomButton.h"

#include <KivConstants.h>

AgViewZoomButton::AgViewZoomButton(ZoomLevel level, QWidget *parent)
    : SimpleCheckboxButton(nullptr), m_level(level)
{
    setParent(parent);
    setZoomLevel(level);
    connect(this, &QPushButton::clicked, this, &AgViewZoomButton::onClick);
}

AgViewZoomButton::~AgViewZoomButton() = default;

void AgViewZoomButton::setZoomLevel(ZoomLevel level)
{
    m_level = level;
    setText(KivConstants::zoomLevelLabel(level));
}

void AgViewZoomButton::onClick()
{
    emit zoomButtonClick(m_level);
}
