#pragma once

#include <QLineEdit>

// A centred line edit that takes at most three digits.
class IntegerNumberLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit IntegerNumberLineEdit(QWidget *parent);
    ~IntegerNumberLineEdit() override;
};
