#pragma once

#include <QValidator>

// Accepts digits only, at most maximumLength of them (the empty text too). Never
// Intermediate: an edit that would make the text invalid is refused while it is typed.
class IntegerNumberValidator : public QValidator
{
public:
    IntegerNumberValidator(QObject *parent, int maximumLength);
    ~IntegerNumberValidator() override;

    State validate(QString &input, int &pos) const override;
    int getMaximumLength() const { return m_maximumLength; }

private:
    int m_maximumLength;
};
