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

    // A live view moves the icons every 50 ms: the icons shown are moved and given their
    // picture, only missing ones are made and only surplus ones go.
    QWidget *area = m_form->eventsDrawArea;
    while (m_icons.size() > groups.size()) {
        m_icons.back().label->hide();
        m_icons.back().label->deleteLater();
        m_icons.pop_back();
    }
    for (size_t j = 0; j < groups.size(); ++j) {
        if (j == m_icons.size()) {
            auto *label = new QLabel(area);
            label->setObjectName(QStringLiteral("label%1").arg(j));
            label->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
            m_icons.push_back({label, QString()});
        }
        Icon &icon = m_icons[j];
        const QString path = iconPath(groups[j].count, groups[j].first->getEvents());
        if (icon.path != path) {
            icon.label->setPixmap(pixmap(path));
            icon.path = path;
        }
        const QSize size = pixmap(path).size();
        icon.label->setGeometry(int(column(groups[j].first->getTimestamp())),
                                area->height() - size.height(), size.width(), size.height());
        icon.label->show();
    }
}

const QPixmap &NUVPlotEvents::pixmap(const QString &path)
{
    auto it = m_pixmaps.find(path);
    if (it == m_pixmaps.end())
        it = m_pixmaps.insert(path, QPixmap(path));
    return it.value();
}
