#include "NUVPlotEvents.h"

#include "FormHelpers.h"

#include <KivConstants.h>

#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QSpacerItem>

#include <qcustomplot.h>

#include <algorithm>

namespace {

// Events closer than this to the first event of a group join the group.
constexpr qint64 kMergePixels = 19;

bool isShownEvent(qint64 word)
{
    return word == 1 || word == 2 || word == 4;
}

} // namespace

struct NUVPlotEvents::Form
{
    QGridLayout *gridLayout = nullptr;
    QWidget *eventsDrawArea = nullptr;
    QSpacerItem *spacer = nullptr;
};

NUVPlotEvents::NUVPlotEvents(QWidget *parent) : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
}

NUVPlotEvents::~NUVPlotEvents() = default;

void NUVPlotEvents::setupForm()
{
    setObjectName(QStringLiteral("NUVPlotEvents"));
    setWindowTitle(tr("Form"));
    resize(1024, 320);
    setStyleSheet(QString());

    Form &f = *m_form;
    f.gridLayout = makeFormGrid(this, "gridLayout");

    f.eventsDrawArea = new QWidget(this);
    f.eventsDrawArea->setObjectName(QStringLiteral("eventsDrawArea"));
    f.eventsDrawArea->setEnabled(true);
    f.eventsDrawArea->setMinimumSize(1024, 290);
    f.eventsDrawArea->setStyleSheet(QString());
    f.gridLayout->addWidget(f.eventsDrawArea, 0, 0);

    f.spacer = new QSpacerItem(1, 30, QSizePolicy::Minimum, QSizePolicy::Fixed);
    f.gridLayout->addItem(f.spacer, 1, 0);
}

QWidget *NUVPlotEvents::drawArea() const
{
    return m_form->eventsDrawArea;
}

QString NUVPlotEvents::iconPath(int count, qint64 eventWord)
{
    if (count > 1)
        return QString::fromLatin1(KivConstants::kIconEventMulti);
    switch (eventWord) {
    case 1:
        return QString::fromLatin1(KivConstants::kIconEventPlay);
    case 2:
        return QString::fromLatin1(KivConstants::kIconEventStop);
    case 4:
        return QString::fromLatin1(KivConstants::kIconEventReset);
    default:
        return QString();
    }
}

void NUVPlotEvents::setEvents(const std::vector<AgEvent> &events, QCPAxis *xAxis)
{
    // The window hands the same events every 50 ms; rebuilding the icons then is wasted.
    const qint64 minTime = m_minTime;
    const qint64 maxTime = m_maxTime;
    setTimeRange(xAxis);
    const bool sameEvents = std::equal(
        events.begin(), events.end(), m_events.begin(), m_events.end(),
        [](const AgEvent &a, const AgEvent &b) {
            return a.getTimestamp() == b.getTimestamp() && a.getEvents() == b.getEvents();
        });
    if (sameEvents && minTime == m_minTime && maxTime == m_maxTime && m_laidOutWidth == width())
        return;
    m_events = events;
    layoutEvents();
}

void NUVPlotEvents::onPlotResize(QResizeEvent *, QCPAxis *xAxis)
{
    setTimeRange(xAxis);
    layoutEvents();
}

void NUVPlotEvents::setTimeRange(QCPAxis *xAxis)
{
    if (!xAxis)
        return;
    m_minTime = static_cast<qint64>(xAxis->range().lower * 1000.0);
    m_maxTime = static_cast<qint64>(xAxis->range().upper * 1000.0);
}

void NUVPlotEvents::layoutEvents()
{
    m_laidOutWidth = width();
    const qint64 w = width();
    const qint64 span = m_maxTime - m_minTime;
    const bool mapped = w != 0 && span != 0;
    const qint64 mergeMs = mapped ? span * kMergePixels / w : 0;
    const qint64 endOfView = mapped ? m_maxTime : 0;
    auto column = [&](qint64 timestamp) { return (timestamp - m_minTime) * w / span; };

    struct Group
    {
        const AgEvent *first;
        int count;
    };
    std::vector<Group> groups;
    auto it = m_events.cbegin();
    while (mapped && it != m_events.cend() && column(it->getTimestamp()) < 0)
        ++it;
    for (; it != m_events.cend() && it->getTimestamp() <= endOfView; ++it) {
        if (!isShownEvent(it->getEvents()))
            continue;
        if (!groups.empty() && it->getTimestamp() <= groups.back().first->getTimestamp() + mergeMs)
            ++groups.back().count;
        else
            groups.push_back(Group{&*it, 1});
    }

    QWidget *area = m_form->eventsDrawArea;
    for (QObject *child : area->children()) {
        if (auto *widget = qobject_cast<QWidget *>(child))
            widget->hide();
        child->deleteLater();
    }
    for (size_t j = 0; j < groups.size(); ++j) {
        const QPixmap pixmap(iconPath(groups[j].count, groups[j].first->getEvents()));
        auto *label = new QLabel(area);
        label->setPixmap(pixmap);
        label->setObjectName(QStringLiteral("label%1").arg(j));
        label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
        label->setGeometry(int(column(groups[j].first->getTimestamp())),
                           area->height() - pixmap.height(), pixmap.width(), pixmap.height());
        label->show();
    }
}
