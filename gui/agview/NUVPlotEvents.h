#pragma once

#include <AgEvent.h>

#include <QHash>
#include <QPixmap>
#include <QWidget>

#include <memory>
#include <vector>

class QCPAxis;
class QGridLayout;
class QLabel;
class QResizeEvent;

// The strip of event icons over the plot: play, stop and reset (event words 1, 2, 4) at the
// event's time; events within 19 pixels of the first of a group share one icon for
// multiple events. A 30-pixel spacer keeps the icons above the time-axis labels.
class NUVPlotEvents : public QWidget
{
    Q_OBJECT
public:
    explicit NUVPlotEvents(QWidget *parent);
    ~NUVPlotEvents() override;

    void setEvents(const std::vector<AgEvent> &events, QCPAxis *xAxis);
    void onPlotResize(QResizeEvent *event, QCPAxis *xAxis);

    qint64 getMinTime() const { return m_minTime; }
    qint64 getMaxTime() const { return m_maxTime; }
    QWidget *drawArea() const;

    // The icon of a group: several events, or one with event word 1, 2 or 4; empty for any
    // other word.
    static QString iconPath(int count, qint64 eventWord);

private:
    struct Form;
    void setupForm();
    void setTimeRange(QCPAxis *xAxis);
    void layoutEvents();
    const QPixmap &pixmap(const QString &path);

    std::unique_ptr<Form> m_form;
    qint64 m_minTime = 0;
    qint64 m_maxTime = 0;
    std::vector<AgEvent> m_events;
    // The width the icons were last laid out for; -1 before the first layout.
    int m_laidOutWidth = -1;
    // The icons shown, first group first, with the picture each shows.
    struct Icon
    {
        QLabel *label;
        QString path;
    };
    std::vector<Icon> m_icons;
    QHash<QString, QPixmap> m_pixmaps;
};
