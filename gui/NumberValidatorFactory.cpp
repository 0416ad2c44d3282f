#include "NumberValidatorFactory.h"

#include "FloatingPointNumberValidator.h"
#include "IntegerNumberValidator.h"

QValidator *createNumberValidator(int type, int maximumLength, QObject *parent)
{
    switch (type) {
    case kIntegerNumberValidator:
        return new IntegerNumberValidator(parent, maximumLength);
    case kFloatingPointNumberValidator:
        return new FloatingPointNumberValidator(parent, maximumLength);
    default:
        return nullptr;
    }
}
