#pragma once

#include <QWidget>

#include <memory>

class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// One alert contact in the ALERTS page: the name, the e-mail address (editable in place)
// and a Remove button that asks for the contact's removal by its name.
class AlertsListItem : public QWidget
{
    Q_OBJECT
public:
    explicit AlertsListItem(QWidget *parent);
    ~AlertsListItem() override;

    void setUserName(const QString &name);
    QString getUserName() const;
    void setEmailAddress(const QString &address);
    QString getEmailAddress() const;

signals:
    void deleteUserWithId(const QString &name);

public slots:
    void on_pushButton_clicked();

private:
    struct Form
    {
        QHBoxLayout *horizontalLayout = nullptr;
        QLabel *userNameLabel = nullptr;
        QGridLayout *gridLayout = nullptr;
        QLabel *emailStaticLabel = nullptr;
        QLineEdit *emailAddressLineEdit = nullptr;
        QPushButton *pushButton = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
};
