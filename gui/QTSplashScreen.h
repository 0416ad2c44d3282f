#pragma once

#include "ASplashScreen.h"

#include <memory>

class QLabel;

// The concrete splash: the product picture with the version lines over it.
class QTSplashScreen : public ASplashScreen
{
    Q_OBJECT
public:
    explicit QTSplashScreen(QWidget *parent);
    ~QTSplashScreen() override;

    // Absolute letter spacing on the widget's font; -1 for no widget, else 0.
    static int setLetterSpacing(QWidget *widget, double spacing);

private:
    struct Form
    {
        QLabel *vLabel = nullptr;
        QLabel *versionNumberLabel = nullptr;
        QLabel *copyrightLabel = nullptr;
        QLabel *vfullVersionString = nullptr;
    };
    void setupForm();
    void fitToText();

    std::unique_ptr<Form> m_form;
};
