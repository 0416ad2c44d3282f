#include "PlaceholderAgView.h"

#include <AgDataVector.h>
#include <GUIFactory.h>

#include <QLabel>
#include <QVBoxLayout>

PlaceholderAgView::PlaceholderAgView(ViewType type, QWidget *parent) : AAgView(type, parent)
{
    setObjectName(QStringLiteral("PlaceholderAgView"));
    setWindowTitle(QStringLiteral("KIV - Audiogroup window"));
    setStyleSheet(QStringLiteral("background-color: rgb(70,70,70); color: white;"));
    auto *label = new QLabel(QStringLiteral("The audiogroup window is not available in this build."),
                             this);
    label->setAlignment(Qt::AlignCenter);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    resize(426, 150);
}

PlaceholderAgView::~PlaceholderAgView() = default;

void PlaceholderAgView::registerCreator()
{
    GUIFactory::getInstance()->registerViewCreator(
        kViewTypeAg, [](ViewType type) -> AView * { return new PlaceholderAgView(type, nullptr); });
}

void PlaceholderAgView::onUpdateUi(const PlotUIData &data)
{
    delete data.takeSampleBlock();
}

void PlaceholderAgView::onUpdateTableView(const PlotUIData &data, bool)
{
    delete data.takeSampleBlock();
}
