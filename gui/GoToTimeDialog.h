#pragma once

#include "AGoToTimeView.h"

#include <memory>

class QDateTimeEdit;
class QKeyEvent;
class QLabel;
class QPushButton;

// Frameless, application-modal dialog in which the user types a UTC date and time for the
// audiogroup window to jump to. OK sends the moment and leaves the dialog open: the
// receiver hides it. The typed time stays for the next use.
class GoToTimeDialog : public AGoToTimeView
{
    Q_OBJECT
public:
    GoToTimeDialog(ViewType type, QWidget *parent);
    ~GoToTimeDialog() override;

    // Makes GUIFactory build this dialog for view type 5.
    static void registerCreator();

signals:
    // Milliseconds since the epoch, UTC.
    void GoToTime(qlonglong ms);

public slots:
    void showAndFocus() override;
    void on_cancelButton_clicked();
    void on_okButton_clicked();

protected:
    // Return and Enter confirm, unless CANCEL has the focus; Escape cancels.
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Form
    {
        QWidget *background = nullptr;
        QDateTimeEdit *dateTimeEdit = nullptr;
        QLabel *formatLabel = nullptr;
        QPushButton *okButton = nullptr;
        QPushButton *cancelButton = nullptr;
        QLabel *timeLabel = nullptr;
        QLabel *titleLabel = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
};
