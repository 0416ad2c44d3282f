#pragma once

#include <QObject>

class AView;

// Shows the progress of a database import.
class DBImportViewController : public QObject
{
    Q_OBJECT
public:
    DBImportViewController();
    ~DBImportViewController() override;

    // GUI thread: obtains the import progress dialog.
    void init();

signals:
    void hide();

private:
    AView *m_view = nullptr;
};
