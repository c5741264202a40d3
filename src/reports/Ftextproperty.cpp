#include "reports/Ftextproperty.h"

#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "layout/Utextcontainer.h"
#include "widgets/Fcolordropdown.h"
#include "widgets/Fupdownedit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {

} // namespace

TTextProperty::TTextProperty(QWidget* parent) : TFontProperty(parent)
{
    setObjectName("TextProperty");
    SetPageType(ctText);
    QWidget* tab = TabSheet2->parentWidget();
    auto* grid = new QGridLayout;
    grid->addWidget(Named(new QLabel(platform::ToQString("テキストタイプ"), tab), "Label14"), 0, 0);
    RBText = Named(new QRadioButton(platform::ToQString("テキスト"), tab), "RBText");
    RBPage = Named(new QRadioButton(platform::ToQString("ページ"), tab), "RBPage");
    RBDate = Named(new QRadioButton(platform::ToQString("日付"), tab), "RBDate");
    RBText->setChecked(true);
    grid->addWidget(RBText, 0, 1);
    grid->addWidget(RBPage, 0, 2);
    grid->addWidget(RBDate, 0, 3);
    Edit = Named(new QLineEdit(tab), "Edit");
    grid->addWidget(Edit, 1, 0, 1, 4);
    CBTextBrush = Named(new QCheckBox(platform::ToQString("テキストの背景を塗りつぶす"), tab), "CBTextBrush");
    TextBrushColorList = Named(new TColorDropDown(tab), "TextBrushColorList");
    grid->addWidget(CBTextBrush, 2, 0, 1, 2);
    grid->addWidget(TextBrushColorList, 2, 2, 1, 2);
    grid->addWidget(Named(new QLabel(platform::ToQString("向き"), tab), "Label18"), 3, 0);
    TextAngleEdit = MakeNumber(tab, "TextAngleEdit", 1, 10, "°", 0, 3600);
    TextAngleTrack = Named(new QSlider(Qt::Horizontal, tab), "TextAngleTrack");
    TextAngleTrack->setRange(0, 3600);
    TextAngleTrack->setSingleStep(10);
    TextAngleTrack->setPageStep(100);
    TextAngleTrack->setTickInterval(360);
    TextAngleTrack->setTickPosition(QSlider::TicksBelow);
    grid->addWidget(TextAngleEdit, 3, 1);
    grid->addWidget(TextAngleTrack, 3, 2, 1, 2);
    CBOutline = Named(new QCheckBox(platform::ToQString("アウトライン"), tab), "CBOutline");
    grid->addWidget(CBOutline, 4, 0, 1, 2);
    grid->setColumnStretch(3, 1);
    TabSheet2->insertLayout(TabSheet2->count() - 1, grid);

    for (QRadioButton* button : {RBText, RBPage, RBDate})
        connect(button, &QRadioButton::toggled, this, [this](bool checked) {
            if (checked) platform::Guard([this] { RBTextClick(); });
        });
    connect(Edit, &QLineEdit::editingFinished, this, platform::Guarded([this] { EditExit(); }));
    connect(CBTextBrush, &QCheckBox::toggled, this, platform::Guarded([this](bool) { CBTextBrushClick(); }));
    TextBrushColorList->OnChange = [this](QObject*) { ApplyAll(); };
    connect(CBOutline, &QCheckBox::toggled, this, platform::Guarded([this](bool) { CBOutlineClick(); }));
    connect(TextAngleTrack, &QSlider::valueChanged, this, platform::Guarded([this](int) { TextAngleTrackChange(); }));
    TextAngleEdit->OnChange = [this](QObject*) { TextAngleEditChange(); };
}

int TTextProperty::TextType() const
{
    if (RBText->isChecked()) return 0;
    if (RBPage->isChecked()) return 1;
    if (RBDate->isChecked()) return 2;
    return shownType_;
}

void TTextProperty::RBTextClick()
{
    Edit->setEnabled(RBText->isChecked());
    ApplyAll();
}

void TTextProperty::EditExit() { ApplyAll(); }
void TTextProperty::CBTextBrushClick() { ApplyAll(); }

void TTextProperty::CBOutlineClick()
{
    if (!GetUpdating()) ApplyAll();
}

void TTextProperty::TextAngleTrackChange() { TextAngleEdit->SetValue(TextAngleTrack->value()); }

void TTextProperty::TextAngleEditChange()
{
    {
        const QSignalBlocker quiet(TextAngleTrack);
        TextAngleTrack->setValue(TextAngleEdit->GetValue());
    }
    ApplyAll();
}

void TTextProperty::GetProperty(TContainer* container)
{
    TFontProperty::GetProperty(container);
    auto* text = dynamic_cast<TTextContainer*>(container);
    if (!text) return;
    const Updating updating(*this);
    SetHorzAlign(static_cast<std::uint8_t>(std::clamp(text->GetHorzAlign(), 0, 2)));
    SetVertAlign(static_cast<std::uint8_t>(std::clamp(text->GetVertAlign(), 0, 2)));
    shownType_ = text->GetTextType();
    QRadioButton* kinds[] = {RBText, RBPage, RBDate};
    if (shownType_ >= 0 && shownType_ <= 2) {
        kinds[shownType_]->setChecked(true);
    } else {
        // No kind of the three: none ticked.
        for (QRadioButton* kind : kinds) kind->setAutoExclusive(false);
        for (QRadioButton* kind : kinds) kind->setChecked(false);
        for (QRadioButton* kind : kinds) kind->setAutoExclusive(true);
    }
    const bool ownText = shownType_ != 1 && shownType_ != 2;
    Edit->setEnabled(ownText);
    Edit->setText(ownText ? platform::ToQString(text->GetText()) : QString());
    const TColor brush = text->GetTextBrushColor();
    CBTextBrush->setChecked(brush != -1);
    TextBrushColorList->SetColor(brush == -1 ? 0xFFFFFF : brush);
    TextAngleEdit->SetValueQuiet(text->GetTextAngle());
    {
        const QSignalBlocker quiet(TextAngleTrack);
        TextAngleTrack->setValue(text->GetTextAngle());
    }
    CBOutline->setChecked(text->GetOutLine());
}

void TTextProperty::SetProperty(TContainer* container)
{
    TFontProperty::SetProperty(container);
    auto* text = dynamic_cast<TTextContainer*>(container);
    if (!text) return;
    text->SetHorzAlign(GetHorzAlign());
    text->SetVertAlign(GetVertAlign());
    const int type = TextType();
    text->SetTextType(type);
    shownType_ = type;
    text->SetText(platform::FromQString(Edit->text()));
    text->SetTextBrushColor(CBTextBrush->isChecked() ? TextBrushColorList->GetColor() : -1);
    text->SetTextAngle(TextAngleTrack->value());
    text->SetOutLine(CBOutline->isChecked());
}
