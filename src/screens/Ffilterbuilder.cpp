#include "screens/Ffilterbuilder.h"

#include "gui/QtSupport.h"
#include "platform/NumberText.h"
#include "platform/StringList.h"
#include "platform/Text.h"
#include "platform/Variant.h"
#include "richtext/Exview.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <cmath>
#include <cstdint>
#include <utility>

namespace {

constexpr int kEditWidth = 200;
constexpr int kComboLeft = 216;
constexpr int kComboWidth = 130;
constexpr int kRowHeight = 22;
constexpr int kPanelHeight = 60;

using Items = std::initializer_list<std::pair<const char*, int>>;
const Items kRangeBeginItems = {{"に一致する", 0}, {"に一致しない", 1}, {"以上", 2}, {"以下", 3}, {"から", 6}};
const Items kRangeEndItems = {{"までを含む", 4}, {"までを含まない", 5}};
const Items kTextItems = {{"を含む", 4}, {"を含まない", 5}};
const Items kListItems = {{"に一致する", 0}, {"に一致しない", 1}};

QComboBox* AddCombo(QWidget* panel, const char* name, Items items, int top)
{
    auto* combo = new QComboBox(panel);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(false);
    combo->setGeometry(kComboLeft, top, kComboWidth, kRowHeight);
    for (const auto& [text, code] : items) combo->addItem(platform::ToQString(text), code);
    return combo;
}

QLineEdit* AddLine(QWidget* panel, const char* name, int top)
{
    auto* edit = new QLineEdit(panel);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(8, top, kEditWidth, kRowHeight);
    return edit;
}

QDateEdit* AddDate(QWidget* panel, const char* name, int top)
{
    auto* edit = new QDateEdit(panel);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    edit->setGeometry(8, top, kEditWidth, kRowHeight);
    return edit;
}

QWidget* AddPanel(QWidget* owner, const char* name, int kind)
{
    auto* panel = new QWidget(owner);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setProperty("Tag", kind);
    panel->setFixedHeight(kPanelHeight);
    panel->hide();
    return panel;
}

int CodeOf(const QComboBox* combo)
{
    return combo->currentIndex() < 0 ? -1 : combo->currentData().toInt();
}

void SelectCode(QComboBox* combo, int code)
{
    combo->setCurrentIndex(combo->findData(code));
}

double Today() { return std::floor(platform::Today()); }

} // namespace

QDate DayToQDate(double day)
{
    return QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(day)));
}

double QDateToDay(const QDate& date)
{
    return static_cast<double>(QDate(1899, 12, 30).daysTo(date));
}

TFilterBuilder::TFilterBuilder(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("FilterBuilder"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    QWidget* p = panels_[fpkString] = AddPanel(this, "StringPanel", fpkString);
    editString_ = AddLine(p, "EditString", 4);
    cbBeginString_ = AddCombo(p, "CBBeginString", kTextItems, 4);

    p = panels_[fpkInteger] = AddPanel(this, "IntegerPanel", fpkInteger);
    eBeginInteger_ = AddLine(p, "EBeginInteger", 4);
    cbBeginInteger_ = AddCombo(p, "CBBeginInteger", kRangeBeginItems, 4);
    eEndInteger_ = AddLine(p, "EEndInteger", 32);
    cbEndInteger_ = AddCombo(p, "CBEndInteger", kRangeEndItems, 32);

    p = panels_[fpkDate] = AddPanel(this, "DatePanel", fpkDate);
    beginDateTime_ = AddDate(p, "BeginDateTime", 4);
    cbBeginDate_ = AddCombo(p, "CBBeginDate", kRangeBeginItems, 4);
    endDateTime_ = AddDate(p, "EndDateTime", 32);
    cbEndDate_ = AddCombo(p, "CBEndDate", kRangeEndItems, 32);

    p = panels_[fpkFloat] = AddPanel(this, "FloatPanel", fpkFloat);
    eBeginFloat_ = AddLine(p, "EBeginFloat", 4);
    cbBeginFloat_ = AddCombo(p, "CBBeginFloat", kRangeBeginItems, 4);
    eEndFloat_ = AddLine(p, "EEndFloat", 32);
    cbEndFloat_ = AddCombo(p, "CBEndFloat", kRangeEndItems, 32);

    p = panels_[fpkEuroString] = AddPanel(this, "EuroStringPanel", fpkEuroString);
    editEuroString_ = new TExView(p);
    editEuroString_->setObjectName(QStringLiteral("EditEuroString"));
    editEuroString_->SetEditStyle(evsSingleEdit);
    editEuroString_->SetEditOption(editEuroString_->GetEditOption() | EVOption(evoEuroText));
    editEuroString_->setAttribute(Qt::WA_InputMethodEnabled, false);
    editEuroString_->setFrameShape(QFrame::StyledPanel);
    editEuroString_->setGeometry(8, 4, kEditWidth, kRowHeight);
    cbBeginEuroString_ = AddCombo(p, "CBBeginEuroString", kTextItems, 4);

    p = panels_[fpkList] = AddPanel(this, "ListPanel", fpkList);
    listSelector_ = new QComboBox(p);
    listSelector_->setObjectName(QStringLiteral("ListSelector"));
    listSelector_->setEditable(false);
    listSelector_->setMaxVisibleItems(16);
    listSelector_->setGeometry(8, 4, kEditWidth, kRowHeight);
    cbListSelector_ = AddCombo(p, "CBListSelector", kListItems, 4);

    p = panels_[fpkBool] = AddPanel(this, "BoolPanel", fpkBool);
    cbBool_ = new QCheckBox(QStringLiteral("チェックなし"), p);
    cbBool_->setObjectName(QStringLiteral("CBBool"));
    cbBool_->setGeometry(8, 4, kEditWidth, kRowHeight);
    connect(cbBool_, &QCheckBox::toggled, this, [this] { CBBoolClick(); });

    for (const auto& [combo, kind] : {std::pair{cbBeginInteger_, fpkInteger}, std::pair{cbBeginDate_, fpkDate},
                                      std::pair{cbBeginFloat_, fpkFloat}})
        connect(combo, &QComboBox::currentIndexChanged, this, [this, kind = kind] {
            if (kind_ == kind) CBBeginChange();
        });
    for (QWidget* end : {static_cast<QWidget*>(eEndInteger_), static_cast<QWidget*>(cbEndInteger_),
                         static_cast<QWidget*>(endDateTime_), static_cast<QWidget*>(cbEndDate_),
                         static_cast<QWidget*>(eEndFloat_), static_cast<QWidget*>(cbEndFloat_)})
        end->setEnabled(false);

    for (QWidget* panel : panels_) layout->addWidget(panel);
    layout->addStretch(1);
}

void TFilterBuilder::ShowPanel(int kind)
{
    if (kind_ >= 0) panels_[kind_]->hide();
    kind_ = kind;
    panels_[kind_]->show();
}

void TFilterBuilder::ShowStringPanel() { ShowPanel(fpkString); }
void TFilterBuilder::ShowIntegerPanel() { ShowPanel(fpkInteger); }
void TFilterBuilder::ShowDatePanel() { ShowPanel(fpkDate); }
void TFilterBuilder::ShowFloatPanel() { ShowPanel(fpkFloat); }
void TFilterBuilder::ShowEuroStringPanel() { ShowPanel(fpkEuroString); }

void TFilterBuilder::ShowBoolPanel()
{
    ShowPanel(fpkBool);
    cbBool_->setChecked(false);
}

void TFilterBuilder::ShowListPanel(const platform::StringList& items)
{
    ShowPanel(fpkList);
    listSelector_->clear();
    for (int i = 0; i < items.GetCount(); ++i) {
        const auto id = reinterpret_cast<std::intptr_t>(items.GetObject(i));
        listSelector_->addItem(platform::ToQString(items.GetString(i)), static_cast<int>(id));
    }
    listSelector_->setCurrentIndex(-1);
}

QComboBox* TFilterBuilder::BeginCombo() const
{
    switch (kind_) {
    case fpkString: return cbBeginString_;
    case fpkInteger: return cbBeginInteger_;
    case fpkDate: return cbBeginDate_;
    case fpkFloat: return cbBeginFloat_;
    case fpkEuroString: return cbBeginEuroString_;
    case fpkList: return cbListSelector_;
    default: return nullptr;
    }
}

QComboBox* TFilterBuilder::EndCombo() const
{
    switch (kind_) {
    case fpkInteger: return cbEndInteger_;
    case fpkDate: return cbEndDate_;
    case fpkFloat: return cbEndFloat_;
    default: return nullptr;
    }
}

QWidget* TFilterBuilder::EndEdit() const
{
    switch (kind_) {
    case fpkInteger: return eEndInteger_;
    case fpkDate: return endDateTime_;
    case fpkFloat: return eEndFloat_;
    default: return nullptr;
    }
}

int TFilterBuilder::GetBeginCode() const
{
    const QComboBox* combo = BeginCombo();
    return combo ? CodeOf(combo) : 0;
}

void TFilterBuilder::SetBeginCode(int code)
{
    QComboBox* combo = BeginCombo();
    if (!combo) return;
    {
        const QSignalBlocker blocker(combo);
        SelectCode(combo, code);
    }
    if (EndCombo()) CBBeginChange();
}

int TFilterBuilder::GetEndCode() const
{
    const QComboBox* combo = EndCombo();
    return combo ? CodeOf(combo) : 0;
}

void TFilterBuilder::SetEndCode(int code)
{
    if (QComboBox* combo = EndCombo()) SelectCode(combo, code);
}

platform::Variant TFilterBuilder::GetBeginValue() const
{
    switch (kind_) {
    case fpkString: return platform::FromQString(editString_->text());
    case fpkInteger: return platform::StrToInt(platform::FromQString(eBeginInteger_->text()));
    case fpkDate: return platform::Variant::FromDateTime(QDateToDay(beginDateTime_->date()));
    case fpkFloat: return platform::StrToFloat(platform::FromQString(eBeginFloat_->text()));
    case fpkEuroString: return editEuroString_->GetText();
    case fpkList: return listSelector_->currentIndex() < 0 ? -1 : listSelector_->currentData().toInt();
    case fpkBool: return cbBool_->isChecked();
    default: return {};
    }
}

void TFilterBuilder::SetBeginValue(const platform::Variant& value)
{
    switch (kind_) {
    case fpkString: editString_->setText(platform::ToQString(value.AsString())); break;
    case fpkInteger: eBeginInteger_->setText(platform::ToQString(platform::IntToStr(value.AsInt64()))); break;
    case fpkDate: beginDateTime_->setDate(DayToQDate(value.AsDateTime())); break;
    case fpkFloat: eBeginFloat_->setText(platform::ToQString(platform::FloatToStr(value.AsDouble()))); break;
    case fpkEuroString: editEuroString_->SetText(value.AsString()); break;
    case fpkList: listSelector_->setCurrentIndex(listSelector_->findData(value.AsInt())); break;
    case fpkBool: cbBool_->setChecked(value.AsBool()); break;
    default: break;
    }
}

platform::Variant TFilterBuilder::GetEndValue() const
{
    switch (kind_) {
    case fpkInteger: return platform::StrToInt(platform::FromQString(eEndInteger_->text()));
    case fpkDate: return platform::Variant::FromDateTime(QDateToDay(endDateTime_->date()));
    case fpkFloat: return platform::StrToFloat(platform::FromQString(eEndFloat_->text()));
    default: return {};
    }
}

void TFilterBuilder::SetEndValue(const platform::Variant& value)
{
    switch (kind_) {
    case fpkInteger: eEndInteger_->setText(platform::ToQString(platform::IntToStr(value.AsInt64()))); break;
    case fpkDate: endDateTime_->setDate(DayToQDate(value.AsDateTime())); break;
    case fpkFloat: eEndFloat_->setText(platform::ToQString(platform::FloatToStr(value.AsDouble()))); break;
    default: break;
    }
}

QWidget* TFilterBuilder::GetFocusControl() const
{
    switch (kind_) {
    case fpkString: return editString_;
    case fpkInteger: return eBeginInteger_;
    case fpkDate: return beginDateTime_;
    case fpkFloat: return eBeginFloat_;
    case fpkEuroString: return editEuroString_;
    case fpkList: return listSelector_;
    case fpkBool: return cbBool_;
    default: return nullptr;
    }
}

void TFilterBuilder::CBBeginChange()
{
    QComboBox* endCombo = EndCombo();
    QWidget* endEdit = EndEdit();
    if (!endCombo || !endEdit) return;
    const bool range = GetBeginCode() == 6;
    endEdit->setEnabled(range);
    endCombo->setEnabled(range);
    if (range) {
        endCombo->setCurrentIndex(0);
        return;
    }
    if (auto* line = qobject_cast<QLineEdit*>(endEdit)) line->clear();
    if (auto* date = qobject_cast<QDateEdit*>(endEdit)) date->setDate(DayToQDate(Today()));
    endCombo->setCurrentIndex(-1);
}

void TFilterBuilder::CBBoolClick()
{
    cbBool_->setText(cbBool_->isChecked() ? QStringLiteral("チェックあり") : QStringLiteral("チェックなし"));
}
