#include "GuiShots.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace KivTest {

void saveShot(QWidget *widget, const QString &name)
{
    const QString dir = QString::fromLocal8Bit(qgetenv("KIV_SHOTS_DIR"));
    if (dir.isEmpty())
        return;
    QDir().mkpath(dir);
    widget->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}

} // namespace KivTest
