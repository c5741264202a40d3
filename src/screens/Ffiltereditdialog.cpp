#include "screens/Ffiltereditdialog.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"
#include "platform/Currency.h"
#include "platform/Errors.h"
#include "platform/StringList.h"
#include "screens/Ffilterbuilder.h"
#include "widgets/Fvktform.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <cmath>

namespace {

constexpr int kRangeCode = 6;

bool IsTextType(platform::FieldType type) { return type == platform::FieldType::String; }

// The value as the field stores it: whole days for dates, Currency for money.
platform::Variant Stored(platform::FieldType type, const platform::Variant& value)
{
    switch (type) {
    case platform::FieldType::Date:
    case platform::FieldType::DateTime:
        return platform::Variant::FromDateTime(std::floor(value.AsDateTime()));
    case platform::FieldType::Currency: return platform::Currency::FromDouble(value.AsDouble());
    default: return value;
    }
}

} // namespace

TFilterEditDialog::TFilterEditDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("FilterEditDialog"));
    setWindowTitle(QStringLiteral("フィルター編集"));
    label_ = new QLabel(this);
    label_->setObjectName(QStringLiteral("Label"));
    label_->setGeometry(12, 8, 356, 16);
    auto* bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel"));
    bevel->setFrameShape(QFrame::HLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(8, 28, 364, 2);
    filterBuilder_ = new TFilterBuilder(this);
    filterBuilder_->setGeometry(4, 34, 372, 64);
    btnOk_ = new QPushButton(QStringLiteral("OK"), this);
    btnOk_->setObjectName(QStringLiteral("BtnOk"));
    btnOk_->setGeometry(196, 106, 84, 24);
    btnOk_->setDefault(true);
    btnOk_->setAutoDefault(true);
    btnCancel_ = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel_->setObjectName(QStringLiteral("BtnCancel"));
    btnCancel_->setGeometry(288, 106, 84, 24);
    btnCancel_->setAutoDefault(false);
    connect(btnOk_, &QPushButton::clicked, this, [this] { platform::Guard([this] { BtnOkClick(); }); });
    connect(btnCancel_, &QPushButton::clicked, this, &QDialog::reject);
    setFixedSize(380, 138);
    SetScreenPlace(this, TScreenPlace::Center);
}

const TFilter* TFilterEditDialog::Start(const TFilters& filters)
{
    label_->setText(platform::ToQString("項目 '" + GetFieldCaption(filters.GetField()) + "' のフィルターに設定する条件"));
    working_ = filters;
    result_ = filters;
    return filters.GetCount() > 0 ? &filters.GetFilter(0) : nullptr;
}

bool TFilterEditDialog::EditFilter(const TFilters& filters)
{
    const TFilter* first = Start(filters);
    const TVktField field = filters.GetField();
    const platform::FieldType type = GetFieldType(field);
    const int op = first ? first->GetOperator() : -1;
    TFilterBuilder* b = filterBuilder_;
    if (IsTextType(type)) {
        const bool shown = op == foContains || op == foNotContains;
        if (FrenchFields.Contains(field))
            b->ShowEuroStringPanel();
        else
            b->ShowStringPanel();
        b->SetBeginCode(shown ? op - 2 : 4);
        b->SetBeginValue(shown ? first->GetBegin() : platform::Variant(std::string()));
    } else {
        int code = 0;
        int endCode = 0;
        platform::Variant begin = 0;
        platform::Variant end;
        const bool isBool = type == platform::FieldType::Boolean;
        if (op == foBetween || op == foOutside) {
            if (!isBool) {
                code = kRangeCode;
                endCode = op;
                begin = first->GetBegin();
                end = first->GetEnd();
            }
        } else if (op >= foEqual && op <= foAtMost && (!isBool || op == foEqual)) {
            code = op;
            begin = first->GetBegin();
        }
        switch (type) {
        case platform::FieldType::Boolean: b->ShowBoolPanel(); break;
        case platform::FieldType::Float:
        case platform::FieldType::Currency: b->ShowFloatPanel(); break;
        case platform::FieldType::Date:
        case platform::FieldType::DateTime:
            b->ShowDatePanel();
            if (!begin.AsBool()) begin = platform::Variant::FromDateTime(platform::Now());
            break;
        default: b->ShowIntegerPanel(); break;
        }
        b->SetBeginCode(code);
        b->SetBeginValue(begin);
        if (!isBool) {
            if (code == kRangeCode) {
                b->SetEndCode(endCode);
                b->SetEndValue(end);
            } else if (b->GetPanelKind() == fpkDate) {
                b->GetEndDateTime()->setDate(DayToQDate(platform::Now()));
            } else {
                (b->GetPanelKind() == fpkFloat ? b->GetEEndFloat() : b->GetEEndInteger())->setText(QStringLiteral("0"));
            }
        }
    }
    if (QWidget* focus = b->GetFocusControl()) focus->setFocus();
    if (exec() != QDialog::Accepted) return false;

    const int code = b->GetBeginCode();
    const platform::Variant value = b->GetBeginValue();
    if (IsTextType(type) && value.AsString().empty()) return false;
    working_.Clear();
    working_.SetField(field);
    if (IsTextType(type))
        working_.Add(static_cast<std::uint8_t>(code + 2), value, {});
    else if (code == kRangeCode)
        working_.Add(static_cast<std::uint8_t>(b->GetEndCode()), Stored(type, value), Stored(type, b->GetEndValue()));
    else
        working_.Add(static_cast<std::uint8_t>(code), Stored(type, value), {});
    result_ = working_;
    return true;
}

bool TFilterEditDialog::EditListFilter(const TFilters& filters, const platform::StringList& items)
{
    const TFilter* first = Start(filters);
    const int op = first ? first->GetOperator() : -1;
    const bool shown = op == foEqual || op == foNotEqual;
    TFilterBuilder* b = filterBuilder_;
    b->ShowListPanel(items);
    b->SetBeginCode(shown ? op : 0);
    b->SetBeginValue(shown ? first->GetBegin().AsInt() : 0);
    b->GetListSelector()->setFocus();
    if (exec() != QDialog::Accepted) return false;
    const int id = b->GetBeginValue().AsInt();
    if (id == -1) return false;
    working_.Clear();
    working_.SetField(filters.GetField());
    working_.Add(static_cast<std::uint8_t>(b->GetBeginCode()), id, {});
    result_ = working_;
    return true;
}

void TFilterEditDialog::BtnOkClick()
{
    TFilterBuilder* b = filterBuilder_;
    const int kind = b->GetPanelKind();
    if (kind == fpkInteger || kind == fpkFloat || kind == fpkDate) {
        const bool range = b->GetBeginCode() == kRangeCode;
        platform::Variant begin;
        platform::Variant end;
        try {
            begin = b->GetBeginValue();
            if (range) end = b->GetEndValue();
        } catch (const platform::ConvertError&) {
            platform::ShowError("数値を正しく入力してください。");
            return;
        }
        if (range && begin.AsDouble() == end.AsDouble()) return;
    }
    accept();
}

TFilterEditDialog* FilterEditDlg()
{
    static QPointer<TFilterEditDialog> dialog;
    if (!dialog) {
        dialog = new TFilterEditDialog();
        if (platform::Application* app = platform::Application::Instance())
            app->AtExit([guarded = dialog] { delete guarded.data(); });
    }
    return dialog;
}
