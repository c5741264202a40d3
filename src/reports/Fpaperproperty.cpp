#include "reports/Fpaperproperty.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "platform/StringList.h"
#include "widgets/Fupdownedit.h"
#include "widgets/Upapernamelist.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>

#include <algorithm>
#include <vector>

// ---- TPaperDropDown ------------------------------------------------------------------------------

TPaperDropDown::TPaperDropDown(QWidget* parent) : QWidget(parent)
{
    setObjectName("PaperList");
    auto* box = new QHBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    DropDown = new QComboBox(this);
    DropDown->setObjectName("DropDown");
    DropDown->setMaxVisibleItems(20);
    box->addWidget(DropDown);
    platform::StringList names;
    EnumPaper(names);
    std::vector<int> order(static_cast<std::size_t>(names.GetCount()));
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return names.GetString(a) < names.GetString(b); });
    for (int i : order)
        DropDown->addItem(platform::ToQString(names.GetString(i)), PaperIDOfObject(names.GetObject(i)));
    connect(DropDown, &QComboBox::activated, this, platform::Guarded([this](int) {
        if (OnChange) OnChange(this);
    }));
}

int TPaperDropDown::GetPaperID() const
{
    return DropDown->currentIndex() < 0 ? 0 : DropDown->currentData().toInt();
}

void TPaperDropDown::SetPaperID(int id) { DropDown->setCurrentIndex(DropDown->findData(id)); }

// ---- TPaperProperty ------------------------------------------------------------------------------

namespace {

TUpDownEdit* MakeLength(QWidget* parent, const char* name)
{
    auto* edit = new TUpDownEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->SetLimitType(1);
    edit->SetScale(100);
    edit->SetSuffix("mm");
    return edit;
}

QLabel* MakeLabel(QWidget* parent, const char* text)
{
    return new QLabel(platform::ToQString(text), parent);
}

} // namespace

TPaperProperty::TPaperProperty(QWidget* parent) : QWidget(parent)
{
    setObjectName("PaperProperty");
    PaperList = new TPaperDropDown(this);
    RBHorz = new QRadioButton(platform::ToQString("横位置"), this);
    RBHorz->setObjectName("RBHorz");
    RBVert = new QRadioButton(platform::ToQString("縦位置"), this);
    RBVert->setObjectName("RBVert");
    RBVert->setChecked(true);
    TopMarginEdit = MakeLength(this, "TopMarginEdit");
    BottomMarginEdit = MakeLength(this, "BottomMarginEdit");
    LeftMarginEdit = MakeLength(this, "LeftMarginEdit");
    RightMarginEdit = MakeLength(this, "RightMarginEdit");
    PaperHeightEdit = MakeLength(this, "PaperHeightEdit");
    PaperWidthEdit = MakeLength(this, "PaperWidthEdit");

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->addWidget(MakeLabel(this, "用紙"), 0, 0);
    grid->addWidget(PaperList, 0, 1, 1, 3);
    grid->addWidget(RBVert, 1, 1);
    grid->addWidget(RBHorz, 1, 3);
    const struct {
        const char* label;
        TUpDownEdit* edit;
        int row, column;
    } cells[] = {{"横サイズ", PaperWidthEdit, 2, 0}, {"縦サイズ", PaperHeightEdit, 2, 2},
                 {"上余白", TopMarginEdit, 3, 0},    {"下余白", BottomMarginEdit, 3, 2},
                 {"左余白", LeftMarginEdit, 4, 0},   {"右余白", RightMarginEdit, 4, 2}};
    for (const auto& cell : cells) {
        grid->addWidget(MakeLabel(this, cell.label), cell.row, cell.column);
        grid->addWidget(cell.edit, cell.row, cell.column + 1);
        cell.edit->OnChange = [this](QObject*) { PropChange(); };
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    grid->setRowStretch(5, 1);

    PaperList->OnChange = [this](QObject*) { PropChange(); };
    const auto turned = [this](bool checked) {
        if (checked) platform::Guard([this] { PropChange(); });
    };
    connect(RBHorz, &QRadioButton::toggled, this, turned);
    connect(RBVert, &QRadioButton::toggled, this, turned);
    EnableControls();
}

int TPaperProperty::GetPaperType() const { return PaperList->GetPaperID(); }

void TPaperProperty::EnableControls()
{
    const bool user = GetPaperType() == kUserPaperID;
    PaperWidthEdit->setEnabled(user);
    PaperHeightEdit->setEnabled(user);
    RBHorz->setEnabled(!user);
    RBVert->setEnabled(!user);
}

void TPaperProperty::SetPaperType(int id)
{
    PaperList->SetPaperID(id);
    EnableControls();
    if (id != kUserPaperID) SetPaperSize(GetMMPaperSize_(id));
}

bool TPaperProperty::GetOrientation() const { return RBHorz->isChecked(); }

void TPaperProperty::SetOrientation(bool landscape)
{
    if (landscape == GetOrientation()) return;
    orientationUpdating_ = true;
    try {
        (landscape ? RBHorz : RBVert)->setChecked(true);
    } catch (...) {
        orientationUpdating_ = false;
        throw;
    }
    orientationUpdating_ = false;
}

platform::Point TPaperProperty::GetPaperSize() const
{
    if (GetPaperType() == kUserPaperID) return {PaperWidthEdit->GetValue(), PaperHeightEdit->GetValue()};
    return GetMMPaperSize_(GetPaperType());
}

void TPaperProperty::SetPaperSize(platform::Point size)
{
    PaperWidthEdit->SetValueQuiet(size.X);
    PaperHeightEdit->SetValueQuiet(size.Y);
}

platform::Rect TPaperProperty::GetMargins() const
{
    return {LeftMarginEdit->GetValue(), TopMarginEdit->GetValue(), RightMarginEdit->GetValue(),
            BottomMarginEdit->GetValue()};
}

void TPaperProperty::SetMargins(int left, int top, int right, int bottom)
{
    LeftMarginEdit->SetValueQuiet(left);
    TopMarginEdit->SetValueQuiet(top);
    RightMarginEdit->SetValueQuiet(right);
    BottomMarginEdit->SetValueQuiet(bottom);
}

void TPaperProperty::PropChange()
{
    const platform::Point size = GetPaperSize();
    SetPaperSize(size);
    EnableControls();
    // The margins stay on the paper as it lies: a turned table paper swaps its sides.
    const bool turned = GetPaperType() != kUserPaperID && GetOrientation();
    const int width = turned ? size.Y : size.X;
    const int height = turned ? size.X : size.Y;
    platform::Rect m = GetMargins();
    m.Left = std::min(m.Left, width);
    m.Top = std::min(m.Top, height);
    if (m.Left + m.Right > width) m.Right = width - m.Left;
    if (m.Top + m.Bottom > height) m.Bottom = height - m.Top;
    SetMargins(m.Left, m.Top, m.Right, m.Bottom);
    if (!orientationUpdating_ && OnChange) OnChange(this);
}
