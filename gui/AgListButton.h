#pragma once

#include <QPushButton>

#include <memory>

class QGridLayout;
class QLabel;

// The audiogroup name button of a main-window row. A name too wide for it is shortened
// with an ellipsis; the whole name stays in its tool tip.
class AgListButton : public QPushButton
{
    Q_OBJECT
public:
    explicit AgListButton(QWidget *parent);
    ~AgListButton() override;

    void setLabelText(const QString &name);
    // The text shown now (shortened or whole).
    QString labelText() const;
    // Shortens what the label holds now to the label's width less 50 px.
    void elideText();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Form
    {
        QGridLayout *gridLayout = nullptr;
        QWidget *mainBackground = nullptr;
        QGridLayout *gridLayout_2 = nullptr;
        QLabel *label = nullptr;
        QWidget *shadow = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
};
