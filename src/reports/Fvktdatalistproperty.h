#pragma once
// The pages of the report templates. TVktTemplateProperty is their base: the font tab becomes
// "スタイル" with the style controls a template page chooses (title, second font, rows, gaps,
// colours, number formats, page and date, lines), each change applied at once.
// TVktDataListProperty is the data list's page: the style tab and a tab "データ" with the
// columns (fields, empty columns, widths, breaks, sort orders), the sum fields and four presets.
#include "platform/Color.h"
#include "reports/Ffontproperty.h"
#include "reports/Fvkttopcontainerproperty.h"
#include "reports/Upreviewfieldlist.h"

#include <QLabel>

#include <string>

class QComboBox;
class QLineEdit;
class TColorDropDown;
class TVktFieldListBox;

// The style values the data list and recipe templates share.
struct TVktStyleValues {
    std::string Title;
    std::string FontName2;
    int FontSize2 = 0;
    int RowHeight = 0;
    int Paragraph = 0;
    int ColGap = 0;
    int ParaGap = 0;
    bool PageVisible = false;
    bool DateVisible = false;
    bool ParaOrient = false;
    bool DrawFullGrid = false;
    bool RowLine = false;
    bool ColLine = false;
    platform::TColor RowColor = 0;
    platform::TColor GridColor = 0;
};

template <typename T>
TVktStyleValues StyleOf(const T& t)
{
    return {t.GetTitle(),       t.GetFontName2(),  t.GetFontSize2(),   t.GetRowHeight(), t.GetParagraph(),
            t.GetColGap(),      t.GetParaGap(),    t.GetPageVisible(), t.GetDateVisible(), t.GetParaOrient(),
            t.GetDrawFullGrid(), t.GetRowLine(),   t.GetColLine(),     t.GetRowColor(),  t.GetGridColor()};
}
// Title to ParaGap (an empty second font is not written).
template <typename T>
void WriteStyleHead(T& t, const TVktStyleValues& v)
{
    t.SetTitle(v.Title);
    if (!v.FontName2.empty()) t.SetFontName2(v.FontName2);
    t.SetFontSize2(v.FontSize2);
    t.SetRowHeight(v.RowHeight);
    t.SetParagraph(v.Paragraph);
    t.SetColGap(v.ColGap);
    t.SetParaGap(v.ParaGap);
}
// PageVisible to GridColor.
template <typename T>
void WriteStyleTail(T& t, const TVktStyleValues& v)
{
    t.SetPageVisible(v.PageVisible);
    t.SetDateVisible(v.DateVisible);
    t.SetParaOrient(v.ParaOrient);
    t.SetDrawFullGrid(v.DrawFullGrid);
    t.SetRowLine(v.RowLine);
    t.SetColLine(v.ColLine);
    t.SetRowColor(v.RowColor);
    t.SetGridColor(v.GridColor);
}

class TVktTemplateProperty : public TFontProperty {
    Q_OBJECT
public:
    enum StyleControl {
        Title = 1,
        Paragraphs = 2,   // "段組", "段組間"
        Colours = 4,      // "行色", "枠色"
        Formats = 8,      // "数値形式"
        FloatFormat = 16, // "小数点形式"
        Visibles = 32     // page, date, orientation, full grid, lines
    };

protected:
    TVktTemplateProperty(QWidget* parent, int type, int controls);

    // The shared style values into the controls and out of them.
    void ShowStyle(const TVktStyleValues& values);
    TVktStyleValues ReadStyle() const;
    // A further row of the style grid.
    int NextStyleRow() { return styleRow_++; }
    // A row of the style grid: the caption and the control; two controls side by side.
    template <typename W>
    W* AddStyleRow(const char* caption, W* control)
    {
        AddStylePair(new QLabel(QString::fromUtf8(caption), control->parentWidget()), control);
        return control;
    }
    void AddStylePair(QWidget* left, QWidget* right);

    QGridLayout* StyleGrid = nullptr;
    QLineEdit* TitleEdit = nullptr;
    TVktFont2Controls Font2;
    TUpDownEdit* RowHeightEdit = nullptr;
    TUpDownEdit* ParagraphEdit = nullptr;
    TUpDownEdit* ParaGapEdit = nullptr;
    TUpDownEdit* ColGapEdit = nullptr;
    TColorDropDown* RowColorList = nullptr;
    TColorDropDown* GridColorList = nullptr;
    QComboBox* NumSjisList = nullptr;
    QComboBox* FloatTypeList = nullptr;
    QCheckBox* CBPageVisible = nullptr;
    QCheckBox* CBDateVisible = nullptr;
    QCheckBox* CBParaOrient = nullptr;
    QCheckBox* CBDrawFullGrid = nullptr;
    QCheckBox* CBRowLine = nullptr;
    QCheckBox* CBColLine = nullptr;
    QCheckBox* CBChildVisible = nullptr;

private:
    int styleRow_ = 0;
};

class TVktDataListProperty : public TVktTemplateProperty {
    Q_OBJECT
public:
    explicit TVktDataListProperty(QWidget* parent = nullptr);

    TVktFieldListBox* GetFieldBox() const { return FieldBox; }
    const TPreviewFieldStruct& GetFields() const { return fields_; }

    // Handlers.
    void DefFieldListChange();
    void StateListViewChange();
    void BtnColInsertClick();
    void FieldWidthChange(int width);
    void CBReturnFieldClick(bool lineBreak);

protected:
    void GetProperty(TContainer* container) override;
    void SetProperty(TContainer* container) override;
    // The columns into the list and the sum lists (when they differ from the stored ones).
    void ShowFields(const TPreviewFieldStruct& fields);
    // The columns from the list; empty columns given a sort state are hidden first.
    TPreviewFieldStruct ListFields();

    QComboBox* DefFieldList = nullptr;
    TVktFieldListBox* FieldBox = nullptr;
    QComboBox* CBSumField = nullptr;
    QComboBox* CBSumClass = nullptr;

private:
    TPreviewFieldStruct fields_;
};
