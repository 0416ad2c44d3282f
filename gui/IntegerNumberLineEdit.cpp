#include "IntegerNumberLineEdit.h"

#include "NumberValidatorFactory.h"

IntegerNumberLineEdit::IntegerNumberLineEdit(QWidget *parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignCenter);
    setValidator(createNumberValidator(kIntegerNumberValidator, 3, this));
}

IntegerNumberLineEdit::~IntegerNumberLineEdit() = default;
