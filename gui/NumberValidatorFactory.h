#pragma once

class QObject;
class QValidator;

// Number types of createNumberValidator.
enum NumberValidatorType : int {
    kIntegerNumberValidator = 0,
    kFloatingPointNumberValidator = 1,
};

// A new IntegerNumberValidator (type 0) or FloatingPointNumberValidator (type 1) with the
// maximum length; null for any other type. The parent owns it (give it the line edit).
QValidator *createNumberValidator(int type, int maximumLength, QObject *parent = nullptr);
