#pragma once

#include "AView.h"

class QLabel;

// Stands in for a window whose folder has not registered its creator with GUIFactory:
// an empty titled window that says what it stands for.
class PlaceholderView : public AView
{
    Q_OBJECT
public:
    PlaceholderView(ViewType type, QWidget *parent);
    int initView() override { return 0; }

    // Name of the window class of the type, and what the window is, for the texts.
    static QString className(ViewType type);
    static QString description(ViewType type);
};
