#pragma once

#include <QScrollBar>

// A horizontal scroll bar over a 64-bit range (milliseconds of recorded time). The slider
// always spans 0..2147483647; the 64-bit minimum, maximum, value and steps are mapped onto
// it, and a user's move is read back as a 64-bit value.
class NUVPlotScrollbar : public QScrollBar
{
    Q_OBJECT
public:
    explicit NUVPlotScrollbar(QWidget *parent);
    ~NUVPlotScrollbar() override;

    // Each stores its value and moves the slider; none emits a signal.
    void setMinimum64(qint64 minimum);
    void setMaximum64(qint64 maximum);
    void setValue64(qint64 value);
    void setPageStep64(qint64 step);
    void setSingleStep64(qint64 step);

    qint64 minimum64() const { return m_minimum64; }
    qint64 maximum64() const { return m_maximum64; }
    qint64 value64() const { return m_value64; }
    qint64 pageStep64() const { return m_pageStep64; }
    qint64 singleStep64() const { return m_singleStep64; }

    // The 64-bit value of the slider's current position.
    qint64 sliderValue64();

signals:
    void pageControlScrollbarValueChanged(qlonglong value);

public slots:
    virtual void onActionTriggered(int action);

protected:
    void syncSlider();
    // Repaints only when the handle moves or changes on screen.
    void sliderChange(SliderChange change) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void restoreSliderRange();
    // Where the handle stands now, and at which ends of the range the value is.
    QRect handleRect() const;
    int valueEnds() const;

    qint64 m_minimum64 = 0;
    qint64 m_maximum64 = 0;
    qint64 m_value64 = 0;
    qint64 m_singleStep64 = 0;
    qint64 m_pageStep64 = 0;
    // The handle as last painted, and the ends of the range its value stood at.
    QRect m_shownHandle;
    int m_shownEnds = -1;
};
