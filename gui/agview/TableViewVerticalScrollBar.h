#pragma once

#include "NUVPlotScrollbar.h"

#include <memory>

// The table view's vertical scroll bar over the stored time range, with page buttons at
// both ends. Its position is inverted: 0 is the oldest stored time (bottom), maximum64 the
// newest (top).
class TableViewVerticalScrollBar : public NUVPlotScrollbar
{
    Q_OBJECT
public:
    explicit TableViewVerticalScrollBar(QWidget *parent);
    ~TableViewVerticalScrollBar() override;

    void setPosition(qint64 position);
    qint64 position() const { return maximum64() - value64(); }

    // The plain slider wheel handling; public so that the table can hand its wheel over.
    void wheelEvent(QWheelEvent *event) override;

public slots:
    void onActionTriggered(int action) override;

private slots:
    void on_upButton_pressed();
    void on_downButton_pressed();

private:
    struct Form;
    std::unique_ptr<Form> m_form;
};
