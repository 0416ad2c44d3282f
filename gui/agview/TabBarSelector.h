#pragma once

#include <QWidget>

#include <memory>

class QRadioButton;

// The two page tabs "GRAPHICAL VIEW" and "TABLE VIEW" of the audiogroup window. Exactly
// one is checked; checking one (by the user or by selectPlotView/selectTableView) emits
// that page's signal, a click on the checked tab emits nothing.
class TabBarSelector : public QWidget
{
    Q_OBJECT
public:
    explicit TabBarSelector(QWidget *parent);
    ~TabBarSelector() override;

    // Checks the tab as a user's click would, unless it is checked already.
    void selectPlotView();
    void selectTableView();

    QRadioButton *plotButton() const;
    QRadioButton *tableViewButton() const;

signals:
    void plotViewSelectedSignal();
    void tableViewSelectedSignal();

private slots:
    void on_plotButtonSection_toggled(bool checked);
    void on_tableViewButtonSection_toggled(bool checked);

private:
    struct Form;
    std::unique_ptr<Form> m_form;
};
