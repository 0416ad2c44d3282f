#pragma once

#include <QPushButton>

#include <memory>

class QGridLayout;
class QLabel;

// Base of the styled buttons. They draw nothing themselves: the look is made of stacked
// child widgets with style sheets (a raised light face, a pressed dark face, thin shadow
// strips, a label), and a translucent overlay that veils the whole button while it is
// disabled. The children ignore the mouse, so a press anywhere reaches the push button.
class NUVCustomButton : public QPushButton
{
    Q_OBJECT
public:
    explicit NUVCustomButton(QWidget *parent);
    ~NUVCustomButton() override;

    // Enables or disables the button and shows or removes the disabled veil. Use this, not
    // setEnabled, so that the look follows.
    void setButtonEnabled(bool enabled);
    // At least the faces' 46 x 47, wider or taller where a text of the button needs it.
    QSize sizeHint() const override;

    // From now on every event this object filters becomes a click and is consumed.
    void setClickOnFilteredEvents();
    bool eventFilter(QObject *watched, QEvent *event) override;

    // The faces' style sheets, with the border colour in place.
    static QString lightFaceSheet(const QString &borderColour);
    static QString darkFaceSheet(const QString &borderColour);
    static const QString &focusBorderColour();
    static const QString &plainBorderColour();

    // The face layers of the subclasses, built in this order on the button, each later
    // sibling above the earlier ones. The off layers exist on toggle buttons only.
    struct Faces
    {
        QWidget *onWrapper = nullptr;
        QWidget *shadowOn = nullptr;
        QWidget *backgroundOn = nullptr;
        QWidget *offWrapper = nullptr;
        QWidget *shadowOff = nullptr;
        QWidget *backgroundOff = nullptr;
        QWidget *shadowOff2 = nullptr;
        QWidget *labelWrapper = nullptr;
    };
    // The face layers (46 x 47) and the empty label wrapper on an owner that is not a
    // NUVCustomButton (a push button of its own kind with the same look).
    static Faces makeFaceLayers(QWidget *owner, bool withOffFaces);
    // White 10 px text centred in a grid layout of the label wrapper; "12" at first.
    static QLabel *makeCentredLabel(QWidget *labelWrapper);
    // The raised light look unchecked, the pressed dark look checked.
    static void showFacesChecked(const Faces &faces, bool checked);
    static void setBordersOfFaces(const Faces &faces, const QString &colour, bool restyle);
    // The layers over the whole of a button of the size (at 46 x 47 their form's places).
    static void fitFaceLayers(const Faces &faces, const QSize &size);

protected:
    void resizeEvent(QResizeEvent *event) override;
    // The size that shows each of the texts whole in the font, at least 46 x 47.
    static QSize sizeForTexts(const QFont &font, const QStringList &texts);

    // Sizes the button 46 x 47 with the given own style sheet and builds the faces and
    // the (empty) label wrapper.
    void buildFaces(const QString &buttonSheet, bool withOffFaces);
    const Faces &faces() const { return m_faces; }
    // The label of SimpleButton and SimpleCheckboxButton: white 10 px text centred in a
    // grid layout of the label wrapper; "12" until its owner sets a text.
    QLabel *buildCentredLabel();
    // Toggle buttons: the raised light look unchecked, the pressed dark look checked.
    void showCheckedFaces(bool checked);
    // The border of every face in the colour; restyle first clears each sheet so the face
    // is polished again even when its text does not change.
    void setFaceBorders(const QString &colour, bool restyle = false);

private:
    struct Form
    {
        QGridLayout *gridLayout = nullptr;
        QWidget *widget = nullptr; // the disabled veil
    };

    std::unique_ptr<Form> m_form;
    Faces m_faces;
    bool m_clickOnFilteredEvents = false;
};
