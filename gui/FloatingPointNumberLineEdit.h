#pragma once

#include <QLineEdit>

// A centred line edit for a threshold such as "-12.5": sign, two digits, point, one digit.
class FloatingPointNumberLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit FloatingPointNumberLineEdit(QWidget *parent);
    ~FloatingPointNumberLineEdit() override;
};
