#pragma once

#include <ADialog.h>
#include <AlertContactConfig.h>
#include <ConfigValidators.h>

#include <memory>

class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;

// The frameless, application-modal box in which a new alert contact is typed: first and
// last name (together the contact's name) and the e-mail address. OK hands on a contact
// that the contact validator accepts; the fields keep their texts for the next use.
class AlertsAddContactDialog : public ADialog
{
    Q_OBJECT
public:
    explicit AlertsAddContactDialog(QWidget *parent);
    ~AlertsAddContactDialog() override;

signals:
    void addAlertContact(const AlertContactConfig &contact);

public slots:
    void on_okButton_clicked();
    void on_cancelButton_clicked();

protected:
    // Return and Enter act as OK, or as CANCEL when that has the focus. Escape does nothing.
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Form
    {
        QWidget *widget = nullptr;
        QLabel *dialogTitleStaticLabel_2 = nullptr;
        QLabel *firstNameStaticLabel_2 = nullptr;
        QLineEdit *firstNameLineEdit_2 = nullptr;
        QLabel *lastNameStaticLabel_2 = nullptr;
        QLineEdit *lastNameLineEdit_2 = nullptr;
        QLabel *emailAddrStaticLabel_2 = nullptr;
        QLineEdit *emailAddressLineEdit_2 = nullptr;
        QLabel *phoneNumberStaticLabel_2 = nullptr;
        QLineEdit *phoneNumberLineEdit_2 = nullptr;
        QPushButton *okButton = nullptr;
        QLabel *confirmAndSaveLabel = nullptr;
        QPushButton *cancelButton = nullptr;
        QLabel *discartChangesStaticLabel = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
    AlertContactConfigValidator m_validator;
};
