#include "AgViewZoomSelector.h"

#include "AgViewZoomButton.h"

#include <ASystem.h>
#include <SystemConfig.h>

AgViewZoomSelector::AgViewZoomSelector(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("AgViewZoomSelector"));
    resize(352, 49);
    setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Maximum);
    setStyleSheet(QStringLiteral("background-color: rgba(101, 101, 101, 255);"));
    setWindowTitle(QStringLiteral("Form"));
    // Until the first refresh the buttons offer the default levels, so that every button
    // stands for a span of its own and a click shows the span its label names.
    const QList<int> levels = SystemConfig::defaultRangeSettings();
    for (int i = 0; i < kButtonCount; ++i) {
        auto *button = new AgViewZoomButton(ZoomLevel(levels.value(i)), this);
        connect(button, &AgViewZoomButton::zoomButtonClick, this,
                &AgViewZoomSelector::onZoomChangeClick);
        m_buttons.append(button);
    }
}

AgViewZoomSelector::~AgViewZoomSelector() = default;

void AgViewZoomSelector::onZoomChangeClick(ZoomLevel level)
{
    m_currentZoomLevel = level;
    updateButtons();
    emit zoomChange(ZoomLevel(m_currentZoomLevel));
}

void AgViewZoomSelector::setCurrentZoomLevel(ZoomLevel level)
{
    m_currentZoomLevel = level;
    updateButtons();
}

void AgViewZoomSelector::updateButtons()
{
    ASystem *system = ASystem::instance();
    const QList<int> levels = system ? system->getSystemConfig().getRangeSettings() : QList<int>();
    if (levels.isEmpty())
        return;
    // A level the buttons do not offer gives way to the first one, silently.
    if (!levels.contains(m_currentZoomLevel))
        m_currentZoomLevel = levels.first();

    // The window sets the level every 50 ms: only what differs is set again.
    int totalWidth = 0;
    for (int i = 0; i < m_buttons.size(); ++i) {
        totalWidth += m_buttons[i]->width();
        if (i < levels.size() && m_buttons[i]->getZoomLevel() != ZoomLevel(levels[i]))
            m_buttons[i]->setZoomLevel(ZoomLevel(levels[i]));
    }
    const int gap = (width() - totalWidth > 0 && m_buttons.size() > 1) ? 5 : 0;
    int x = 0;
    for (AgViewZoomButton *button : qAsConst(m_buttons)) {
        if (button->pos() != QPoint(x, 0))
            button->move(x, 0);
        x += button->width() + gap;
        const bool checked = button->getZoomLevel() == m_currentZoomLevel;
        if (button->isChecked() != checked)
            button->setChecked(checked);
    }
}
