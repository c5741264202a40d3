#include "screens/Ffieldselector.h"

#include "data/Uvktobjevent.h"
#include "data/Vkttabledefine.h"
#include "database/Uvktobject.h"
#include "gui/Anchors.h"
#include "widgets/Fstatelistview.h"
#include "widgets/Fupdownedit.h"
#include "widgets/Uaccessible.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <iterator>
#include <limits>
#include <vector>

namespace {

constexpr int kNewWidth = 100;

// A check box, with an arrow for the sort states: kind 0 empty, 1 checked, 2 ascending,
// 3 descending.
QPixmap SortPixmap(int kind)
{
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QRectF box = kind >= 2 ? QRectF(0.5, 2.5, 10, 10) : QRectF(1.5, 1.5, 12, 12);
    painter.setPen(QPen(QColor(0x60, 0x60, 0x60), 1));
    painter.setBrush(Qt::white);
    painter.drawRect(box);
    if (kind >= 1) {
        QPainterPath check;
        check.moveTo(box.left() + box.width() * 0.2, box.center().y());
        check.lineTo(box.left() + box.width() * 0.42, box.bottom() - box.height() * 0.2);
        check.lineTo(box.right() - box.width() * 0.15, box.top() + box.height() * 0.2);
        painter.setPen(QPen(QColor(0x10, 0x70, 0x20), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(check);
    }
    if (kind >= 2) {
        // A filled triangle at the right: up for ascending, down for descending.
        const bool up = kind == 2;
        QPainterPath arrow;
        arrow.moveTo(12, up ? 10 : 5);
        arrow.lineTo(16, up ? 10 : 5);
        arrow.lineTo(14, up ? 5 : 10);
        arrow.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0x20, 0x40, 0xA0));
        painter.drawPath(arrow);
    }
    return pixmap;
}

} // namespace

const platform::IconList& SortStateImages()
{
    static const platform::IconList images = [] {
        platform::IconList list(16, 16);
        for (int kind = 0; kind < 4; ++kind) list.Add(SortPixmap(kind));
        return list;
    }();
    return images;
}

const platform::IconList& CsvStateImages()
{
    static const platform::IconList images = [] {
        platform::IconList list(16, 16);
        for (int kind = 0; kind < 2; ++kind) list.Add(SortPixmap(kind));
        return list;
    }();
    return images;
}

// ===== TFieldSelector ==================================================================================

TFieldSelector::TFieldSelector(QWidget* parent, TPanelOwner* owner) : TGuiPanel(parent, owner)
{
    setObjectName(QStringLiteral("FieldSelector"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    stateListView_ = new TStateListView(this);
    stateListView_->SetImages(SortStateImages());
    stateListView_->GetListView()->setAccessibleName(QStringLiteral("項目"));
    layout->addWidget(stateListView_);
    GetObjEvent().OnViewFieldsChange = [this](TVktObject* sender) { SetFields(sender->GetViewFields()); };
}

void TFieldSelector::DoAttach()
{
    stateListView_->OnChange = [this](QObject*) {
        if (OnChange) OnChange(this);
    };
    SetFields(GetVktObject()->GetViewFields());
}

void TFieldSelector::DoDetach() { stateListView_->OnChange = nullptr; }

void TFieldSelector::SetFields(const TViewFieldStruct& fields)
{
    viewFields_ = fields;
    TDblPriorityItem states;
    states.Ids = fields.GetName();
    states.States = fields.GetOrder();
    stateListView_->SetStates(states);
}

TViewFieldStruct TFieldSelector::GetFields() const
{
    const TDblPriorityItem states = stateListView_->GetStates();
    TViewFieldStruct result;
    result.SetName(states.Ids);
    result.SetOrder(states.States);
    const TPriorityItem& known = viewFields_.GetName();
    for (int i = 0; i < states.Ids.GetCount(); ++i) {
        const int at = known.IndexOf(states.Ids.GetItem(i));
        const bool hasWidth = at >= 0 && at < viewFields_.GetWidth().GetCount();
        result.GetWidth() << (hasWidth ? viewFields_.GetWidth().GetItem(at) : kNewWidth);
    }
    return result;
}

bool TFieldSelector::CanApply()
{
    TVktObject* object = GetVktObject();
    if (!object) return false;
    const TViewFieldStruct fields = GetFields();
    return fields.GetName().GetCount() > 0 && fields != object->GetViewFields();
}

void TFieldSelector::Apply()
{
    TVktObject* object = GetVktObject();
    if (!object) return;
    const TViewFieldStruct fields = GetFields();
    if (fields.GetName().GetCount() > 0) object->SaveViewFields(fields);
    SetFields(object->GetViewFields());
}

// ===== TCsvFieldSelector ===============================================================================

namespace {

constexpr TVktField kCommonFields[] = {TVktField::Class_Key, TVktField::Form_Key, TVktField::Data,
                                       TVktField::UseUnit_Key, TVktField::UsePrice};
constexpr TVktField kFoodFields[] = {TVktField::BuyUnit_Key, TVktField::BuyPrice, TVktField::Quantity,
                                     TVktField::Yield, TVktField::Dealer_Key};
constexpr TVktField kCookFields[] = {TVktField::Complete, TVktField::TotalPrice, TVktField::SalePrice};

QPushButton* AddButton(QWidget* parent, const char* name, const char* caption, int x, int y)
{
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, y, 81, 25);
    return button;
}

QLabel* AddLabel(QWidget* parent, const char* name, const char* caption, const QRect& bounds)
{
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(bounds);
    return label;
}

} // namespace

TCsvFieldSelector::TCsvFieldSelector(QWidget* parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("CsvFieldSelector"));
    resize(440, 420);
    auto* bevel2 = new QFrame(this);
    bevel2->setObjectName(QStringLiteral("Bevel2"));
    bevel2->setFrameShape(QFrame::Box);
    bevel2->setFrameShadow(QFrame::Sunken);
    bevel2->setGeometry(8, 10, 424, 150);
    AddLabel(this, "Label3", " データ タイプ ", QRect(16, 2, 80, 16))->setAutoFillBackground(true);
    rbFood_ = AddFamily("RBFoodFamily", "食材(&F)", "食材に分類されたデータは、単価の変動を履歴として保存することが出来ます。", 20);
    rbCook_ = AddFamily("RBCookFamily", "料理(&C)", "料理に分類されたデータは、ほかの料理や食材データを材料として価格や使用量を保持します。", 64);
    rbMenu_ = AddFamily("RBMenuFamily", "メニュー(&M)", "メニューに分類されたデータは、ほかのメニューや料理、食材データを材料として保持します。", 108);
    for (QLabel* label : findChildren<QLabel*>()) label->raise();

    QLabel* label1 = AddLabel(this, "Label1", " 一行のデータ数 ", QRect(8, 172, 100, 20));
    csvTitleCount_ = new TUpDownEdit(this);
    label1->setBuddy(csvTitleCount_);
    csvTitleCount_->setObjectName(QStringLiteral("CsvTitleCount"));
    csvTitleCount_->setGeometry(112, 170, 70, 22);
    // Only the lower limit applies: the editor clamps to its upper limit too when they differ.
    csvTitleCount_->SetLimitType(1);
    csvTitleCount_->SetRange(1, std::numeric_limits<int>::max());
    csvTitleCount_->SetValueQuiet(1);

    QLabel* label2 = AddLabel(this, "Label2", "変換する項目", QRect(8, 200, 120, 16));
    auto* bevel3 = new QFrame(this);
    bevel3->setObjectName(QStringLiteral("Bevel3"));
    bevel3->setFrameShape(QFrame::HLine);
    bevel3->setFrameShadow(QFrame::Sunken);
    bevel3->setGeometry(8, 216, 424, 2);
    fieldSelector_ = new TFieldSelector(this);
    fieldSelector_->setGeometry(8, 224, 330, 188);
    // The list takes the height the frame is given, and scrolls when that is short of its items.
    platform::Anchor(*fieldSelector_, platform::AnchorSide::Left | platform::AnchorSide::Top | platform::AnchorSide::Bottom);
    fieldSelector_->GetStateListView()->SetImages(CsvStateImages());
    SetLabelFor(label2, fieldSelector_->GetStateListView()->GetListView());
    btnShow_ = AddButton(this, "BtnShow", "選択(&S)", 350, 224);
    btnHide_ = AddButton(this, "BtnHide", "非選択(&R)", 350, 254);
    btnUp_ = AddButton(this, "BtnUp", "上に(&U)", 350, 296);
    btnDown_ = AddButton(this, "BtnDown", "下に(&D)", 350, 326);
    TStateListView* list = fieldSelector_->GetStateListView();
    connect(btnShow_, &QPushButton::clicked, this, [list] { list->SetSelectedState(1); });
    connect(btnHide_, &QPushButton::clicked, this, [list] { list->SetSelectedState(2); });
    connect(btnUp_, &QPushButton::clicked, this, [list] { list->MoveUp(); });
    connect(btnDown_, &QPushButton::clicked, this, [list] { list->MoveDown(); });
    ClassTypeSelectorClick();
}

QSize TCsvFieldSelector::minimumSizeHint() const
{
    constexpr int kMargin = 8;
    const QListWidget* list = fieldSelector_->GetStateListView()->GetListView();
    const int rows = static_cast<int>(std::size(kCommonFields) + std::size(kFoodFields));
    const int listHeight = rows * std::max(1, list->sizeHintForRow(0)) + 2 * list->frameWidth();
    const int bottom = std::max(btnDown_->geometry().bottom() + 1, fieldSelector_->y() + listHeight);
    return {btnShow_->geometry().right() + 1 + kMargin, bottom + kMargin};
}

QRadioButton* TCsvFieldSelector::AddFamily(const char* name, const char* caption, const char* remark, int y)
{
    auto* button = new QRadioButton(QString::fromUtf8(caption), this);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(20, y, 110, 20);
    connect(button, &QRadioButton::clicked, this, [this] { ClassTypeSelectorClick(); });
    QLabel* label = AddLabel(this, "", remark, QRect(132, y, 290, 40));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return button;
}

int TCsvFieldSelector::GetFamily() const
{
    if (rbFood_->isChecked()) return ToInt(TVktObjKind::Food);
    if (rbCook_->isChecked()) return ToInt(TVktObjKind::Cook);
    if (rbMenu_->isChecked()) return ToInt(TVktObjKind::Menu);
    return ToInt(TVktObjKind::Data);
}

int TCsvFieldSelector::GetTitleCount() const { return csvTitleCount_->GetValue(); }

TPriorityItem TCsvFieldSelector::GetFields() const { return fieldSelector_->GetStateListView()->GetStates().Ids; }

std::string TCsvFieldSelector::GetTitleLine() const
{
    const TPriorityItem fields = GetFields();
    std::string block;
    for (int i = 0; i < fields.GetCount(); ++i) block += GetFieldCaption(ToVktField(fields.GetItem(i))) + ",";
    std::string line;
    for (int n = 0; n < GetTitleCount(); ++n) line += block;
    if (!line.empty()) line.pop_back();
    return line;
}

void TCsvFieldSelector::ClassTypeSelectorClick()
{
    std::vector<TVktField> fields(std::begin(kCommonFields), std::end(kCommonFields));
    const auto kind = static_cast<TVktObjKind>(GetFamily());
    if (kind == TVktObjKind::Food) fields.insert(fields.end(), std::begin(kFoodFields), std::end(kFoodFields));
    if (kind == TVktObjKind::Cook || kind == TVktObjKind::Menu)
        fields.insert(fields.end(), std::begin(kCookFields), std::end(kCookFields));
    if (kind == TVktObjKind::Menu) fields.push_back(TVktField::Information);
    std::sort(fields.begin(), fields.end(), [](TVktField a, TVktField b) { return ToInt(a) < ToInt(b); });
    TStateListView* list = fieldSelector_->GetStateListView();
    list->Clear();
    for (TVktField field : fields) list->AddItem(GetFieldCaption(field), ToInt(field));
}
