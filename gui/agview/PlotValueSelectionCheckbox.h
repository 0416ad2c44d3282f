#pragma once

#include <KivTypes.h>
#include <NUVCustomButton.h>

#include <QPushButton>

#include <memory>

class QFocusEvent;

// One of the square buttons "TP", "M", "S" and "I" that choose the plotted quantities. A
// coloured strip shows the colour of its quantity's curve. A click only asks for a change
// (onCheck); the shown state is the one given back with setSelected, so the button follows
// the controller's data, not the click. Hidden while its plot value is 0.
class PlotValueSelectionCheckbox : public QPushButton
{
    Q_OBJECT
public:
    explicit PlotValueSelectionCheckbox(QWidget *parent);
    ~PlotValueSelectionCheckbox() override;

    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    void setText(const QString &text);
    QString text() const;
    void setPlotValue(PlotValue value);
    PlotValue getPlotValue() const { return PlotValue(m_plotValue); }

signals:
    void onCheck(bool selected, PlotValue value);

public slots:
    void onClick();

protected:
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    struct Form;
    void updateLook();

    std::unique_ptr<Form> m_form;
    bool m_selected = false;
    int m_plotValue = 0;
};
