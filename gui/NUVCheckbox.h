#pragma once

#include <QCheckBox>

// The check box of an audiogroup row. Like NUVCustomButton it can turn every event it
// filters into a click.
class NUVCheckbox : public QCheckBox
{
    Q_OBJECT
public:
    explicit NUVCheckbox(QWidget *parent);
    ~NUVCheckbox() override;

    void setClickOnFilteredEvents();
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_clickOnFilteredEvents = false;
};
