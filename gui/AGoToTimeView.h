#pragma once

#include "AView.h"

// The go-to-time dialog as the audiogroup window's controller sees it.
class AGoToTimeView : public AView
{
    Q_OBJECT
public:
    AGoToTimeView(ViewType type, QWidget *parent);
    ~AGoToTimeView() override;

    int initView() override { return 0; }

signals:
    void OkButtonClick(const QString &text);
    void CancelButtonClick();

public slots:
    // Shows the dialog; the concrete dialog also puts the focus into its time field.
    virtual void showAndFocus();
};
