#pragma once

#include <QList>
#include <QWidget>

#include <array>
#include <memory>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;

// The GRAPH page: the seven time spans of the audiogroup window's range buttons, each a
// zoom level chosen from its labels, and whether the program identifier is hidden. The
// seven values are kept distinct: the combo just changed keeps its choice and another that
// held the same value moves to the smallest free one.
class GraphSettings : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRangeButtonCount = 7;

    explicit GraphSettings(QWidget *parent);
    ~GraphSettings() override;

    // The seven values in position order; -1 for a combo without a current item.
    QList<int> rangeValues() const;
    QComboBox *rangeComboBox(int position) const;

signals:
    void graphSettingsDidChange(bool hideProgramId, const QList<int> &ranges);

public slots:
    void onUpdateGraphSettingsSubview(bool hideProgramId, const QList<int> &ranges);
    void onRetrieveGraphSettings();
    void on_rangeButtonValue1_currentIndexChanged(int);
    void on_rangeButtonValue2_currentIndexChanged(int);
    void on_rangeButtonValue3_currentIndexChanged(int);
    void on_rangeButtonValue4_currentIndexChanged(int);
    void on_rangeButtonValue5_currentIndexChanged(int);
    void on_rangeButtonValue6_currentIndexChanged(int);
    void on_rangeButtonValue7_currentIndexChanged(int);

private:
    struct Form
    {
        QGridLayout *gridLayout = nullptr;
        QLabel *HideProgramIdLabel = nullptr;
        QCheckBox *HideProgramIdCheckbox = nullptr;
        std::array<QLabel *, kRangeButtonCount> rangeButtonLabels{};
        std::array<QComboBox *, kRangeButtonCount> rangeButtonValues{};
    };
    void setupForm();
    void fillCombos();
    void keepRangeValuesDistinct(int changed);
    void setRangeValues(const QList<int> &values);

    std::unique_ptr<Form> m_form;
};
