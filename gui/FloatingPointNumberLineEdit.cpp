#include "FloatingPointNumberLineEdit.h"

#include "NumberValidatorFactory.h"

FloatingPointNumberLineEdit::FloatingPointNumberLineEdit(QWidget *parent) : QLineEdit(parent)
{
    setAlignment(Qt::AlignCenter);
    setValidator(createNumberValidator(kFloatingPointNumberValidator, 5, this));
}

FloatingPointNumberLineEdit::~FloatingPointNumberLineEdit() = default;
