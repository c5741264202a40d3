#include "dialogs/Fcsveditor.h"

#include "dialogs/Fcsvedit.h"
#include "gui/Application.h"
#include "gui/QtSupport.h"
#include "gui/Services.h"

#include <QFrame>
#include <QPushButton>

namespace {

constexpr int kButtonWidth = 113;
constexpr int kButtonHeight = 23;
constexpr int kButtonGap = 3;
constexpr int kBevelGap = 8;

} // namespace

TCsvEditor::TCsvEditor(QWidget* parent) : QFrame(parent)
{
    setObjectName("CsvEditor");
    resize(380, 399);
    csvEdit_ = new TCsvEdit(this);
    csvEdit_->SetDefaultColWidth(100);

    int top = 0;
    auto bevel = [&] {
        auto* line = new QFrame(this);
        line->setFrameShape(QFrame::HLine);
        line->setFrameShadow(QFrame::Sunken);
        line->setObjectName("Bevel");
        line->setGeometry(width() - kButtonWidth, top + kBevelGap / 2 - 1, kButtonWidth, 2);
        top += kBevelGap;
    };
    btnLoad_ = AddButton("BtnLoad", "読み込み", top, nullptr);
    btnSave_ = AddButton("BtnSave", "保存", top, nullptr);
    bevel();
    AddButton("BtnUpRow", "行を上に移動(&U)", top, &TCsvEdit::MoveRowUp);
    AddButton("BtnDownRow", "行を下に移動(&D)", top, &TCsvEdit::MoveRowDown);
    AddButton("BtnColRight", "列を右に移動(&R)", top, &TCsvEdit::MoveColRight);
    AddButton("BtnColLeft", "列を左に移動(&L)", top, &TCsvEdit::MoveColLeft);
    bevel();
    AddButton("BtnInsertRow", "行挿入(&H)", top, &TCsvEdit::InsertRow);
    AddButton("BtnInsertCol", "列挿入(&V)", top, &TCsvEdit::InsertCol);
    AddButton("BtnInsertCell", "セル挿入(&C)", top, &TCsvEdit::InsertCell);
    bevel();
    AddButton("BtnDeleteRow", "行削除", top, &TCsvEdit::DeleteRow);
    AddButton("BtnDeleteCol", "列削除", top, &TCsvEdit::DeleteCol);
    AddButton("BtnDeleteCell", "セル削除", top, &TCsvEdit::DeleteCell);
    btnUndo_ = AddButton("BtnUndo", "元に戻す", top, &TCsvEdit::Undo);
    btnRedo_ = AddButton("BtnRedo", "やり直す", top, &TCsvEdit::Redo);

    // Tab order: the grid, then the buttons from the top.
    QWidget* previous = csvEdit_;
    for (QPushButton* button : findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
        setTabOrder(previous, button);
        previous = button;
    }
    idle_.setInterval(150);
    connect(&idle_, &QTimer::timeout, this, [this] { UpdateButtons(); });
    idle_.start();
    UpdateButtons();
}

QPushButton* TCsvEditor::AddButton(const char* name, const char* caption, int& top, void (TCsvEdit::*op)())
{
    auto* button = new QPushButton(platform::ToQString(caption), this);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::TabFocus);
    button->setGeometry(width() - kButtonWidth, top, kButtonWidth, kButtonHeight);
    top += kButtonHeight + kButtonGap;
    if (op) connect(button, &QPushButton::clicked, this, [this, op] { RunCommand(op); });
    return button;
}

void TCsvEditor::RunCommand(void (TCsvEdit::*op)())
{
    TCsvEdit* edit = csvEdit_;
    platform::Guard([edit, op] {
        const platform::BusyCursor busy;
        (edit->*op)();
    });
    UpdateButtons();
}

QPushButton* TCsvEditor::Button(const char* name) const
{
    return findChild<QPushButton*>(name, Qt::FindDirectChildrenOnly);
}

void TCsvEditor::UpdateButtons()
{
    btnUndo_->setEnabled(csvEdit_->CanUndo());
    btnRedo_->setEnabled(csvEdit_->CanRedo());
    btnSave_->setEnabled(csvEdit_->CanUndo());
}

QSize TCsvEditor::minimumSizeHint() const
{
    constexpr int kGridStrip = 100;
    return {kButtonWidth + 8 + kGridStrip, btnRedo_->geometry().bottom() + 1};
}

void TCsvEditor::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    const int left = width() - kButtonWidth;
    csvEdit_->setGeometry(0, 0, std::max(0, left - 8), height());
    for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (child != csvEdit_) child->move(left, child->y());
}
