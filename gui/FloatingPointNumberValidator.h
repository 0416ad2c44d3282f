#pragma once

#include <QValidator>

// Accepts an optional minus sign, up to two digits, an optional point and one optional
// last digit ("-12.5", "12.", ".5", "-", "123"); the empty text too. Never Intermediate.
// The maximum length is kept but plays no part in the check.
class FloatingPointNumberValidator : public QValidator
{
public:
    FloatingPointNumberValidator(QObject *parent, int maximumLength);
    ~FloatingPointNumberValidator() override;

    State validate(QString &input, int &pos) const override;
    int getMaximumLength() const { return m_maximumLength; }

private:
    int m_maximumLength;
};
