#pragma once

#include <EpgProgram.h>

#include <QWidget>

#include <memory>

class QLabel;

// One button of the program bar: a program coloured from its start time with its start
// time, id and end time as far as they fit, a grey "..." run of programs too narrow to
// show, or a transparent filler. Presses on a program with an id are reported.
class ProgramWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ProgramWidget(QWidget *parent = nullptr);
    ~ProgramWidget() override;

    void setEpgProgram(EpgProgram program);
    const EpgProgram &epgProgram() const { return m_program; }
    // True hides the id label at once and in every later entry.
    void setHideProgramId(bool hide);
    void setProgramSize(const QSize &size);

    QLabel *fromTimestampLabel() const;
    QLabel *programNameLabel() const;
    QLabel *toTimestampLabel() const;

    // "QWidget {background-color:rgb(r,g,b); }" from the low three bytes of the start time,
    // kept between 70 and 180 where it was outside.
    static QString colourStyleForStart(qint64 startMs);

    // As wide as the program's span asks, whatever labels show: a hint that followed them
    // would move the bar's spare pixels between buttons and refit the labels every update.
    QSize sizeHint() const override;

signals:
    void epgButtonClicked(Program program);
    void epgButtonDoubleClicked(Program program);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    struct Form;
    void setupForm();
    void fitLabels();
    void fitNameLabel();
    int textWidth(const QLabel *label) const;
    // Room the layout takes beside the id label, and what the two time labels add to it.
    int spacersWidth() const;
    int timesWidth() const;

    std::unique_ptr<Form> m_form;
    EpgProgram m_program;
    bool m_hideProgramId = false;
};
