#include "DialogStyles.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRect>
#include <QWidget>

namespace DialogStyles {

QWidget *setUpFixedBox(QWidget *box, const QString &name, int width, int height)
{
    box->setObjectName(name);
    box->setWindowTitle(QStringLiteral("Dialog"));
    box->setWindowModality(Qt::ApplicationModal);
    box->setFixedSize(width, height);
    box->setStyleSheet(greyGradientSheet());
    auto *background = new QWidget(box);
    background->setObjectName(QStringLiteral("background"));
    background->setGeometry(0, 0, width, height);
    background->setFixedSize(width, height);
    return background;
}

QProgressBar *addBusyProgressBar(QWidget *parent, int x)
{
    auto *bar = new QProgressBar(parent);
    bar->setObjectName(QStringLiteral("progressBar"));
    bar->setGeometry(x, 110, 200, 23);
    bar->setMaximum(0);
    bar->setValue(-1);
    bar->setStyleSheet(busyProgressBarSheet());
    return bar;
}

const QString &greyGradientSheet()
{
    static const QString sheet = QStringLiteral(
        "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 rgba(181, "
        "181, 181, 255), stop:1 rgba(132, 132, 132, 255))");
    return sheet;
}

namespace {

QString progressBarSheetWithChunk(const QString &chunkWidth)
{
    return QStringLiteral(
               "QProgressBar::chunk { background-color: qlineargradient(spread:pad, x1:0, y1:0, "
               "x2:0, y2:1, stop:0 #A9A9A9, stop:1 #434343); border: 1px solid rgba(0, 0, 0, "
               "125); border-radius: 4px; %1}\n"
               "QProgressBar { background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, "
               "y2:1, stop:0 #585858, stop:1 #434343);  border-top: 1px solid rgba(0, 0, 0, 125); "
               "border-left: 1px solid rgba(0, 0, 0, 125); border-right: 1px solid rgba(0, 0, 0, "
               "125); border-bottom: 1px solid rgba(255, 255, 255, 50); text-align: center; }")
        .arg(chunkWidth);
}

} // namespace

const QString &busyProgressBarSheet()
{
    static const QString sheet = progressBarSheetWithChunk(QStringLiteral("width: 60px; "));
    return sheet;
}

const QString &progressBarSheet()
{
    static const QString sheet = progressBarSheetWithChunk(QString());
    return sheet;
}

namespace {

const char *const kButtonFaces =
    "QPushButton {border-width: 1px; border-style: solid; border-radius: 4px; "
    "border-top-color: rgba(0,0,0,191); border-left-color: rgba(0,0,0,191); "
    "border-right-width: 2px; border-right-color: rgba(0,0,0,30); "
    "border-bottom-width: 2px; border-bottom-color: rgba(0,0,0,30); "
    "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 #D3D3D3, "
    "stop:1 #A5A5A5)%1;}\n"
    "QPushButton:pressed {border-width: 1px; border-style: solid; border-radius: 4px; "
    "border-top-color: rgba(0,0,0,191); border-left-color: rgba(0,0,0,191); "
    "border-right-width: 2px; border-right-color: rgba(0,0,0,30); "
    "border-bottom-width: 2px; border-bottom-color: rgba(0,0,0,30); "
    "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 #767676, "
    "stop:1 #606060);}";

} // namespace

const QString &pushButtonSheet()
{
    static const QString sheet = QString::fromLatin1(kButtonFaces).arg(QStringLiteral("; outline: 0")) +
                                 QStringLiteral("\nQPushButton:focus {border: 1px solid #FFFFFF;}");
    return sheet;
}

const QString &lightPushButtonSheet()
{
    static const QString sheet = QStringLiteral(
        "QPushButton {border: 1px solid rgba(0,0,0,191); border-radius: 4px; outline: 0; "
        "background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 #D3D3D3, "
        "stop:1 #A5A5A5);}\n"
        "QPushButton:pressed {background-color: qlineargradient(spread:pad, x1:0, y1:0, x2:0, "
        "y2:1, stop:0 #FCFCFC, stop:1 #DDDDDD);}\n"
        "QPushButton:focus {border: 1px solid #FFFFFF;}");
    return sheet;
}

const QString &plainPushButtonSheet()
{
    static const QString sheet = QString::fromLatin1(kButtonFaces).arg(QString());
    return sheet;
}

const QString &darkDialogBackgroundSheet()
{
    static const QString sheet = QStringLiteral(
        "background-color:qlineargradient(spread:pad, x1:0, y1:0, x2:0, y2:1, stop:0 #787878,  "
        "stop:0.99 #515151, stop:0.991 rgba(0,0,0,150), stop:1.0 rgba(0,0,0,0))");
    return sheet;
}

QFont verdana(int pointSize, int weight)
{
    QFont font(QStringLiteral("Verdana"), pointSize);
    font.setWeight(weight);
    return font;
}

QLabel *addLabel(QWidget *parent, const QString &objectName, const QRect &geometry,
                 int pointSize, int weight, const QString &sheet)
{
    auto *label = new QLabel(parent);
    label->setObjectName(objectName);
    label->setGeometry(geometry);
    label->setFont(verdana(pointSize, weight));
    label->setStyleSheet(sheet);
    return label;
}

QPushButton *addButton(QWidget *parent, const QString &objectName, const QRect &geometry,
                       const QString &sheet)
{
    auto *button = new QPushButton(parent);
    button->setObjectName(objectName);
    button->setGeometry(geometry);
    button->setFont(verdana(18, QFont::Bold));
    button->setStyleSheet(sheet);
    return button;
}

} // namespace DialogStyles
