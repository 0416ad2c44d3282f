#pragma once

#include <QWidget>

#include <memory>

class QGridLayout;
class QListWidget;

// A list with the dark list look of the settings pages (alternating grey rows, a thin
// dark line between rows, no hover highlight) and a styled vertical scroll bar. The owner
// fills and reads the list through getListWidget.
class NUVListWidget : public QWidget
{
    Q_OBJECT
public:
    explicit NUVListWidget(QWidget *parent);
    ~NUVListWidget() override;

    QListWidget *getListWidget() const;

    static const QString &listStyleSheet();

private:
    struct Form
    {
        QGridLayout *gridLayout = nullptr;
        QListWidget *listWidget = nullptr;
    };
    void setupForm();

    std::unique_ptr<Form> m_form;
};
