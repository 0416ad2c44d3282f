#pragma once

#include <AGenerateReportView.h>

#include <QtGlobal>

class QFrame;
class QGridLayout;
class QLabel;
class QProgressBar;
class QPushButton;

// The frameless, application-modal report and progress dialog: a message, a busy bar or a
// progress bar, and a Cancel button.
class GenerateReportDialog : public AGenerateReportView
{
    Q_OBJECT
public:
    GenerateReportDialog(ViewType type, QWidget *parent);
    ~GenerateReportDialog() override;

    int initView() override { return 0; }

    // Makes GUIFactory build this dialog for view type 6.
    static void registerCreator();

    // value and total brought into the int range of the progress bar, in proportion.
    struct ScaledProgress
    {
        int value;
        int total;
    };
    static ScaledProgress scaledProgress(qint64 value, qint64 total);

public slots:
    void onUpdateUi(const QString &text, bool cancelVisible, qlonglong value,
                    qlonglong total) override;
    void onUpdateUi(const QString &text, bool cancelVisible) override;

private:
    void setupForm();

    QGridLayout *m_gridLayout = nullptr;
    QFrame *m_componentsWrapper = nullptr;
    QGridLayout *m_gridLayout2 = nullptr;
    QLabel *m_alertTextLabel = nullptr;
    QProgressBar *m_progressBarContinous = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QPushButton *m_alertDismissButton = nullptr;
};
