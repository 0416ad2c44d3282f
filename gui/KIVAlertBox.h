#pragma once

#include "ADialog.h"

#include <memory>

class QGridLayout;
class QHBoxLayout;
class QKeyEvent;
class QLabel;
class QPushButton;

// Frameless, application-modal message box with a warning picture, the message and one
// button. Its owner creates one per message and deletes it on onClose.
class KIVAlertBox : public ADialog
{
    Q_OBJECT
public:
    explicit KIVAlertBox(QWidget *parent);
    ~KIVAlertBox() override;

    // -1 and no change for an empty text, else 0.
    int setText(const QString &text);
    int setButtonText(const QString &text);
    // Opens centred on the owner's window (the screen's middle without one), inside the
    // screen, with the keyboard on OK.
    void showOver(QWidget *owner);

signals:
    void onClose(KIVAlertBox *box);

public slots:
    void on_alertDismissButton_clicked();

protected:
    // Return and Enter answer OK wherever the focus is in the box.
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Form
    {
        QHBoxLayout *horizontalLayout = nullptr;
        QWidget *background = nullptr;
        QGridLayout *gridLayout = nullptr;
        QLabel *alertIconlabel = nullptr;
        QLabel *alertTextLabel = nullptr;
        QPushButton *alertDismissButton = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
};
