#include "AlarmThreshold.h"

#include "SettingsStyles.h"

#include <DialogStyles.h>
#include <FloatingPointNumberLineEdit.h>
#include <IntegerNumberLineEdit.h>
#include <TextRoom.h>

#include <QCheckBox>
#include <QFrame>
#include <QLabel>

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

namespace {

constexpr int kEditSize = 30;
constexpr int kFormWidth = 622;
constexpr int kCaptionWidth = 60;
constexpr int kCaptionHeight = 18;
constexpr int kUnitWidth = 36;
constexpr int kUnitGap = 3;
constexpr int kRuleGap = 6;

// Texts side by side in one line of the panel, as spans from left to right edge.
using Spans = std::vector<std::pair<int, int>>;

// True when no two spans come closer than a few pixels, and the last ends inside the width.
bool apart(Spans spans, int width)
{
    constexpr int kGap = 4;
    std::sort(spans.begin(), spans.end());
    for (size_t i = 1; i < spans.size(); ++i) {
        if (spans[i].first - spans[i - 1].second < kGap)
            return false;
    }
    return spans.empty() || spans.back().second <= width - kGap;
}

int textWidth(const QLabel *label)
{
    return label->fontMetrics().horizontalAdvance(label->text());
}

template <typename Edit> Edit *addEdit(QWidget *parent, const QString &name, int x, int y)
{
    auto *edit = new Edit(parent);
    edit->setObjectName(name);
    edit->setGeometry(x, y, kEditSize, kEditSize);
    edit->setFixedSize(kEditSize, kEditSize);
    edit->setStyleSheet(SettingsStyles::lineEditSheet());
    return edit;
}

} // namespace

AlarmThreshold::AlarmThreshold(QWidget *parent)
    : QWidget(parent), m_form(std::make_unique<Form>())
{
    setupForm();
}

AlarmThreshold::~AlarmThreshold() = default;

void AlarmThreshold::setupForm()
{
    setObjectName(QStringLiteral("AlarmThreshold"));
    setWindowTitle(QStringLiteral("Form"));
    resize(622, 329);

    Form &f = *m_form;
    f.widget = SettingsStyles::addPanel(this, QStringLiteral("widget"), QRect(0, 11, 622, 311),
                                        SettingsStyles::panelGradientSheet());

    QLabel *active = SettingsStyles::addWhiteLabel(f.widget, QStringLiteral("activeLabel"),
                                                   tr("Active"), 12);
    active->move(30, 10);
    f.activeCheckBox = SettingsStyles::addCheckBox(f.widget, QStringLiteral("activeCheckBox"));
    f.activeCheckBox->setGeometry(30, 70, 41, 30);
    f.activeCheckBox->setFocusPolicy(Qt::ClickFocus);

    addGroupTitle(QStringLiteral("loudnessLabel"), tr("Loudness"), 288, 10, 25, 61);

    f.loudMaxEdit = addEdit<FloatingPointNumberLineEdit>(f.widget, QStringLiteral("loudMaxEdit"),
                                                         211, 70);
    f.loudCount1Edit =
        addEdit<IntegerNumberLineEdit>(f.widget, QStringLiteral("loudCount1Edit"), 287, 70);
    f.loudMinEdit = addEdit<FloatingPointNumberLineEdit>(f.widget, QStringLiteral("loudMinEdit"),
                                                         340, 70);
    f.loudCount2Edit =
        addEdit<IntegerNumberLineEdit>(f.widget, QStringLiteral("loudCount2Edit"), 413, 70);
    f.columns.push_back(
        {f.loudMaxEdit, addCaption(QStringLiteral("upperLabel"), tr("Upper"), 211, 50),
         addUnit(QStringLiteral("upperUnitLabel"), QStringLiteral("LU"), 211, 70), 211, 70, 50});
    f.columns.push_back({f.loudCount1Edit,
                         addCaption(QStringLiteral("count1Label"), tr("Count"), 287, 50), nullptr,
                         287, 70, 50});
    f.columns.push_back(
        {f.loudMinEdit, addCaption(QStringLiteral("lowerLabel"), tr("Lower"), 340, 50),
         addUnit(QStringLiteral("lowerUnitLabel"), QStringLiteral("LU"), 340, 70), 340, 70, 50});
    f.columns.push_back({f.loudCount2Edit,
                         addCaption(QStringLiteral("count2Label"), tr("Count"), 413, 50), nullptr,
                         413, 70, 50});

    addGroupTitle(QStringLiteral("mMaxLabel"), tr("Mmax"), 240, 120, 126, 20);
    addGroupTitle(QStringLiteral("sMaxLabel"), tr("Smax"), 370, 120, 126, 20);
    addGroupTitle(QStringLiteral("truePeakLabel"), tr("TruePeak"), 493, 120, 126, 20);
    f.mMaxEdit =
        addEdit<FloatingPointNumberLineEdit>(f.widget, QStringLiteral("mMaxEdit"), 211, 170);
    f.mCountEdit = addEdit<IntegerNumberLineEdit>(f.widget, QStringLiteral("mCountEdit"), 287, 170);
    f.sMinEdit =
        addEdit<FloatingPointNumberLineEdit>(f.widget, QStringLiteral("sMinEdit"), 340, 170);
    f.sCountEdit = addEdit<IntegerNumberLineEdit>(f.widget, QStringLiteral("sCountEdit"), 413, 170);
    f.tpLevelEdit =
        addEdit<FloatingPointNumberLineEdit>(f.widget, QStringLiteral("tpLevelEdit"), 482, 170);
    f.tpCountEdit =
        addEdit<IntegerNumberLineEdit>(f.widget, QStringLiteral("tpCountEdit"), 555, 170);
    f.columns.push_back(
        {f.mMaxEdit, addCaption(QStringLiteral("mLevelLabel"), tr("Level"), 211, 150),
         addUnit(QStringLiteral("mUnitLabel"), QStringLiteral("LU"), 211, 170), 211, 170, 150});
    f.columns.push_back({f.mCountEdit,
                         addCaption(QStringLiteral("mCountLabel"), tr("Count"), 287, 150), nullptr,
                         287, 170, 150});
    f.columns.push_back(
        {f.sMinEdit, addCaption(QStringLiteral("sLevelLabel"), tr("Level"), 340, 150),
         addUnit(QStringLiteral("sUnitLabel"), QStringLiteral("LU"), 340, 170), 340, 170, 150});
    f.columns.push_back({f.sCountEdit,
                         addCaption(QStringLiteral("sCountLabel"), tr("Count"), 413, 150), nullptr,
                         413, 170, 150});
    f.columns.push_back(
        {f.tpLevelEdit, addCaption(QStringLiteral("tpLevelLabel"), tr("Level"), 482, 150),
         addUnit(QStringLiteral("tpUnitLabel"), QStringLiteral("dBTP"), 482, 170), 482, 170, 150});
    f.columns.push_back({f.tpCountEdit,
                         addCaption(QStringLiteral("tpCountLabel"), tr("Count"), 555, 150), nullptr,
                         555, 170, 150});

    setTabOrder(f.activeCheckBox, f.loudMaxEdit);
    setTabOrder(f.loudMaxEdit, f.loudCount1Edit);
    setTabOrder(f.loudCount1Edit, f.loudMinEdit);
    setTabOrder(f.loudMinEdit, f.loudCount2Edit);
    setTabOrder(f.loudCount2Edit, f.mMaxEdit);
    setTabOrder(f.mMaxEdit, f.mCountEdit);
    setTabOrder(f.mCountEdit, f.sMinEdit);
    setTabOrder(f.sMinEdit, f.sCountEdit);
    setTabOrder(f.sCountEdit, f.tpLevelEdit);
    setTabOrder(f.tpLevelEdit, f.tpCountEdit);
}

void AlarmThreshold::addGroupTitle(const QString &name, const QString &text, int x, int y,
                                   int ruleY, int ruleWidth)
{
    QLabel *title = SettingsStyles::addWhiteLabel(m_form->widget, name, text, 12);
    title->move(x, y);
    title->adjustSize();
    // The rules leave a small gap on either side of the title.
    const QRect ruleRects[] = {QRect(x - kRuleGap - ruleWidth, ruleY, ruleWidth, 2),
                               QRect(x + title->width() + kRuleGap, ruleY, ruleWidth, 2)};
    QFrame *rules[2] = {};
    int side = 0;
    for (const QRect &rect : ruleRects) {
        auto *rule = new QFrame(m_form->widget);
        rule->setObjectName(name +
                            (side == 0 ? QStringLiteral("LeftRule") : QStringLiteral("RightRule")));
        rule->setGeometry(rect);
        rule->setFrameShape(QFrame::HLine);
        rule->setFrameShadow(QFrame::Sunken);
        rule->setStyleSheet(QStringLiteral("background-color:#656565;"));
        rules[side++] = rule;
    }
    m_form->titles.push_back({title, rules[0], rules[1], x, y, ruleY, ruleWidth});
}

QLabel *AlarmThreshold::addCaption(const QString &name, const QString &text, int editX, int y)
{
    QLabel *caption = SettingsStyles::addWhiteLabel(m_form->widget, name, text, 9);
    caption->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
    // Centred over its edit.
    caption->setGeometry(editX + kEditSize / 2 - kCaptionWidth / 2, y, kCaptionWidth,
                         kCaptionHeight);
    return caption;
}

QLabel *AlarmThreshold::addUnit(const QString &name, const QString &text, int editX, int editY)
{
    QLabel *unit = SettingsStyles::addWhiteLabel(m_form->widget, name, text, 8);
    unit->setGeometry(editX + kEditSize + kUnitGap, editY, kUnitWidth, kEditSize);
    unit->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return unit;
}

int AlarmThreshold::fitToText()
{
    // The panel stands at fixed places; where the desktop's text is larger, the edits,
    // captions and units grow as the text does and the columns spread apart, by the least
    // step that keeps every text clear of the next. At the form's own sizes the first step
    // fits and nothing moves.
    constexpr int kSteps = 100;
    double spread = 1.0;
    for (int step = 0; step <= kSteps; ++step) {
        spread = 1.0 + step / 100.0;
        if (placeColumns(spread))
            break;
    }
    const int width = static_cast<int>(std::lround(kFormWidth * spread));
    resize(width, height());
    m_form->widget->resize(width, m_form->widget->height());
    return width;
}

bool AlarmThreshold::placeColumns(double spread)
{
    Form &f = *m_form;
    const auto at = [spread](int x) { return static_cast<int>(std::lround(x * spread)); };
    std::map<int, Spans> lines;
    for (const Column &column : f.columns) {
        const int editX = at(column.x);
        const int editWidth = TextRoom::scaled(column.edit, kEditSize);
        column.edit->setFixedSize(editWidth, kEditSize);
        column.edit->move(editX, column.y);
        lines[column.y].push_back({editX, editX + editWidth});

        QLabel *caption = column.caption;
        const int captionWidth = TextRoom::scaled(caption, kCaptionWidth);
        const int captionHeight =
            kCaptionHeight + TextRoom::grownBy(caption, caption->fontMetrics().height());
        // Bottom-aligned text: a taller caption grows upwards.
        caption->setGeometry(editX + editWidth / 2 - captionWidth / 2,
                             column.captionY + kCaptionHeight - captionHeight, captionWidth,
                             captionHeight);
        const int captionText = textWidth(caption);
        lines[column.captionY].push_back({editX + editWidth / 2 - captionText / 2,
                                          editX + editWidth / 2 + (captionText + 1) / 2});

        if (QLabel *unit = column.unit) {
            const int unitX = editX + editWidth + kUnitGap;
            unit->setGeometry(unitX, column.y, TextRoom::scaled(unit, kUnitWidth), kEditSize);
            lines[column.y].back().second = unitX + textWidth(unit);
        }
    }
    for (const Title &title : f.titles) {
        const int x = at(title.x);
        const int ruleWidth = at(title.ruleWidth);
        title.label->move(x, title.y);
        title.label->adjustSize();
        const int right = x + title.label->width() + kRuleGap;
        title.leftRule->setGeometry(x - kRuleGap - ruleWidth, title.ruleY, ruleWidth, 2);
        title.rightRule->setGeometry(right, title.ruleY, ruleWidth, 2);
        lines[title.y].push_back({x - kRuleGap - ruleWidth, right + ruleWidth});
    }
    const int width = at(kFormWidth);
    for (const auto &line : lines) {
        if (!apart(line.second, width))
            return false;
    }
    return true;
}

QString AlarmThreshold::levelText(double value)
{
    return QString::number(value, 'g', 6);
}

double AlarmThreshold::level(const QLineEdit *edit, bool *ok)
{
    return edit->text().toDouble(ok);
}

int AlarmThreshold::count(const QLineEdit *edit, bool *ok)
{
    return edit->text().toInt(ok, 10);
}

void AlarmThreshold::setActive(bool active)
{
    m_form->activeCheckBox->setChecked(active);
}

bool AlarmThreshold::isActive() const
{
    return m_form->activeCheckBox->isChecked();
}

void AlarmThreshold::setIUpper(double value)
{
    m_form->loudMaxEdit->setText(levelText(value));
}

double AlarmThreshold::getIUpper(bool *ok) const
{
    return level(m_form->loudMaxEdit, ok);
}

void AlarmThreshold::setIUpperCount(int value)
{
    m_form->loudCount1Edit->setText(QString::number(value));
}

int AlarmThreshold::getIUpperCount(bool *ok) const
{
    return count(m_form->loudCount1Edit, ok);
}

void AlarmThreshold::setILower(double value)
{
    m_form->loudMinEdit->setText(levelText(value));
}

double AlarmThreshold::getILower(bool *ok) const
{
    return level(m_form->loudMinEdit, ok);
}

void AlarmThreshold::setILowerCount(int value)
{
    m_form->loudCount2Edit->setText(QString::number(value));
}

int AlarmThreshold::getILowerCount(bool *ok) const
{
    return count(m_form->loudCount2Edit, ok);
}

void AlarmThreshold::setMUpper(double value)
{
    m_form->mMaxEdit->setText(levelText(value));
}

double AlarmThreshold::getMUpper(bool *ok) const
{
    return level(m_form->mMaxEdit, ok);
}

void AlarmThreshold::setMCount(int value)
{
    m_form->mCountEdit->setText(QString::number(value));
}

int AlarmThreshold::getMCount(bool *ok) const
{
    return count(m_form->mCountEdit, ok);
}

void AlarmThreshold::setSUpper(double value)
{
    m_form->sMinEdit->setText(levelText(value));
}

double AlarmThreshold::getSUpper(bool *ok) const
{
    return level(m_form->sMinEdit, ok);
}

void AlarmThreshold::setSCount(int value)
{
    m_form->sCountEdit->setText(QString::number(value));
}

int AlarmThreshold::getSCount(bool *ok) const
{
    return count(m_form->sCountEdit, ok);
}

void AlarmThreshold::setTPUpper(double value)
{
    m_form->tpLevelEdit->setText(levelText(value));
}

double AlarmThreshold::getTPUpper(bool *ok) const
{
    return level(m_form->tpLevelEdit, ok);
}

void AlarmThreshold::setTPCount(int value)
{
    m_form->tpCountEdit->setText(QString::number(value));
}

int AlarmThreshold::getTPCount(bool *ok) const
{
    return count(m_form->tpCountEdit, ok);
}

void AlarmThreshold::clear()
{
    const Form &f = *m_form;
    const std::initializer_list<QLineEdit *> edits = {
        f.loudMaxEdit, f.loudCount1Edit, f.loudMinEdit, f.loudCount2Edit, f.mMaxEdit,
        f.mCountEdit,  f.sMinEdit,       f.sCountEdit,  f.tpLevelEdit,    f.tpCountEdit};
    for (QLineEdit *edit : edits)
        edit->clear();
    f.activeCheckBox->setChecked(false);
}
