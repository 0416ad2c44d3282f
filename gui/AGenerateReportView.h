#pragma once

#include "AView.h"

// The report and progress dialog as its controllers see it (reports, imports, exports): a
// message with either a busy bar or a progress bar, and a Cancel button.
class AGenerateReportView : public AView
{
    Q_OBJECT
public:
    AGenerateReportView(ViewType type, QWidget *parent);
    ~AGenerateReportView() override;

signals:
    void CancelButtonClick();

public slots:
    // The message, the Cancel button shown or not, and the progress bar at value of total;
    // values beyond the int range (milliseconds of long spans) are scaled down.
    virtual void onUpdateUi(const QString &text, bool cancelVisible, qlonglong value,
                            qlonglong total) = 0;
    // The message, the Cancel button shown or not, and the busy bar.
    virtual void onUpdateUi(const QString &text, bool cancelVisible) = 0;
};
