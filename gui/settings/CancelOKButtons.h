#pragma once

#include <QWidget>

#include <memory>

class QLabel;
class QPushButton;

// The OK and CANCEL bar over the bottom of the settings pages, each button with its
// caption under it.
class CancelOKButtons : public QWidget
{
    Q_OBJECT
public:
    explicit CancelOKButtons(QWidget *parent);
    ~CancelOKButtons() override;

    QPushButton *okButton() const;
    QPushButton *cancelButton() const;

signals:
    void okButtonClicked();
    void cancelButtonClicked();

private:
    struct Form
    {
        QWidget *background = nullptr;
        QPushButton *okButton = nullptr;
        QLabel *okLabel = nullptr;
        QPushButton *cancelButton = nullptr;
        QLabel *cancelLabel = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
};
