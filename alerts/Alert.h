#pragma once

// One noteworthy event for the alert e-mails, raised on an audiogroup's controller thread
// and handed to the alert manager by value.
class Alert
{
public:
    Alert();
    Alert(const Alert &other) = default;
    Alert &operator=(const Alert &other) = default;
    virtual ~Alert();
};
