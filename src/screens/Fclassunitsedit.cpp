#include "screens/Fclassunitsedit.h"

#include "data/Uvktdbstruct.h"
#include "database/Uvktobject.h"
#include "gui/Application.h"
#include "gui/Services.h"
#include "platform/FlagScope.h"
#include "screens/Fclasseditpanel.h"
#include "screens/Fclassview.h"
#include "screens/Funitseditpanel.h"

#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTreeWidget>

#include <vector>

namespace {

using F = TVktField;


// Runs a query of an accessor with a filter.
void Query(TVktAccesser& accesser, const TFilterObject& filter)
{
    accesser.BeginUpdate();
    accesser.SetFilter(filter);
    accesser.EndUpdate();
    if (!accesser.GetListed()) accesser.Refresh();
}

bool IsUnitField(TVktField field)
{
    const int n = ToInt(field);
    return n >= ToInt(F::Units_ID) && n <= ToInt(F::YHistoryUnit2);
}

} // namespace

TClassUnitsEdit::TClassUnitsEdit(QWidget* parent, TPanelOwner* owner) : TGuiPanel(parent, owner)
{
    setObjectName(QStringLiteral("ClassUnitsEdit"));
    resize(600, 320);
    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(QStringLiteral("Splitter"));
    splitter_->setHandleWidth(4);
    splitter_->setChildrenCollapsible(false);
    splitter_->setOpaqueResize(true);
    classView_ = new TClassView(splitter_);
    classView_->setMinimumWidth(4);
    editors_ = new QStackedWidget(splitter_);
    classEditPanel_ = new TClassEditPanel(editors_);
    formEditPanel_ = new TUnitsEditPanel(editors_);
    formEditPanel_->setObjectName(QStringLiteral("FormEditPanel"));
    unitEditPanel_ = new TUnitsEditPanel(editors_);
    unitEditPanel_->setObjectName(QStringLiteral("UnitEditPanel"));
    unitEditPanel_->SetListCaption("分類されている単位");
    for (QWidget* panel : {static_cast<QWidget*>(classEditPanel_), static_cast<QWidget*>(formEditPanel_),
                           static_cast<QWidget*>(unitEditPanel_)})
        editors_->addWidget(panel);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({kDesignWidth, width() - kDesignWidth});
    connect(splitter_, &QSplitter::splitterMoved, this, [this] { SplitterMoved(); });

    classView_->OnChanging = [this](QTreeWidgetItem* leaving, QTreeWidgetItem* entering) {
        platform::Guard([&] { ClassViewClassTreeChanging(leaving, entering); });
    };
    classView_->OnChange = [this](TClassView*) { platform::Guard([this] { ClassViewClassTreeChange(); }); };
    classEditPanel_->OnReturn = [this](QObject*) { ClassReturn(); };
    formEditPanel_->OnReturn = [this](QObject*) { UnitsReturn(formEditPanel_); };
    unitEditPanel_->OnReturn = [this](QObject*) { UnitsReturn(unitEditPanel_); };
    const auto click = [this](QPushButton* b, void (TClassUnitsEdit::*op)()) {
        connect(b, &QPushButton::clicked, this, [this, op] { platform::Guard([this, op] { (this->*op)(); }); });
    };
    click(classEditPanel_->GetBtnNew(), &TClassUnitsEdit::ClassEditPanelBtnNewClick);
    click(classEditPanel_->GetBtnChildNew(), &TClassUnitsEdit::ClassEditPanelBtnChildNewClick);
    click(classEditPanel_->GetBtnUp(), &TClassUnitsEdit::ClassEditPanelBtnUpClick);
    click(classEditPanel_->GetBtnDown(), &TClassUnitsEdit::ClassEditPanelBtnDownClick);
    click(formEditPanel_->GetBtnNew(), &TClassUnitsEdit::FormEditPanelBtnNewClick);
    click(unitEditPanel_->GetBtnNew(), &TClassUnitsEdit::UnitEditPanelBtnNewClick);

    TVktObjEvent& events = GetObjEvent();
    events.OnIconSetChange = [this](TVktObject*) {
        LoadIcons();
        LoadClasses();
    };
    events.OnRecordsAdd = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
        if (!Active()) return;
        if (kind == TVktObjKind::Class && ids.GetCount() > 0) {
            if (AddClassNode(ids.GetItem(0))) classView_->SelectID(ids.GetItem(0));
        } else if (kind == TVktObjKind::Form) {
            LoadForms();
        } else if (kind == TVktObjKind::Unit) {
            LoadUnits();
        }
    };
    events.OnRecordsDelete = [this](TVktObject*, TVktObjKind kind, TPriorityItem ids) {
        if (!Active()) return;
        if (kind == TVktObjKind::Class && ids.GetCount() > 0) {
            // A pending edit of a class that went is dropped, not written.
            const platform::FlagScope scope(deleting_);
            classView_->DeleteClass(ids.GetItem(0));
        }
        else if (kind == TVktObjKind::Form) LoadForms();
        else if (kind == TVktObjKind::Unit) LoadUnits();
    };
    events.OnFieldChange = [this](TVktObject*, TVktField field, TPriorityItem ids) {
        if (!Active()) return;
        if (GetFieldTable(field) == TVktTable::TblClass && ids.GetCount() > 0) {
            ClassFieldChanged(ToInt(field), ids.GetItem(0));
        } else if (IsUnitField(field)) {
            LoadForms();
            LoadUnits();
        }
    };
}

TClassUnitsEdit::~TClassUnitsEdit()
{
    MarkDestroying();
    SetVktObject(nullptr);
}

bool TClassUnitsEdit::Active() const
{
    TVktObject* object = GetVktObject();
    return object && object->IsValid();
}

int TClassUnitsEdit::BranchOf(const TTreeIndex& tree) { return tree.Depth() >= 2 ? tree.GetDigit(1) : -1; }

// ===== Modes and widths ================================================================================

void TClassUnitsEdit::SetEditMode(int mode)
{
    if (mode < emClass || mode > emUnit) return;
    const platform::FlagScope scope(settingMode_);
    editMode_ = mode;
    ApplyWidth();
    editors_->setCurrentIndex(mode);
}

void TClassUnitsEdit::SetModeWidth(int mode, int width)
{
    widths_[mode] = width;
    if (mode == editMode_) {
        const platform::FlagScope scope(settingMode_);
        ApplyWidth();
    }
}

void TClassUnitsEdit::ApplyWidth()
{
    const int total = std::max(splitter_->width(), width()) - splitter_->handleWidth();
    splitter_->setSizes({widths_[editMode_], std::max(1, total - widths_[editMode_])});
}

void TClassUnitsEdit::SplitterMoved()
{
    if (!settingMode_) widths_[editMode_] = classView_->width();
}

void TClassUnitsEdit::resizeEvent(QResizeEvent* event)
{
    TGuiPanel::resizeEvent(event);
    const platform::FlagScope scope(settingMode_);
    splitter_->setGeometry(rect());
    ApplyWidth();
}

bool TClassUnitsEdit::IsModified() const
{
    switch (editMode_) {
    case emClass: return classEditPanel_->GetModified();
    case emForm: return formEditPanel_->GetModified();
    default: return unitEditPanel_->GetModified();
    }
}

std::string TClassUnitsEdit::GetFrenchName(int classId) const
{
    const auto found = frenchNames_.find(classId);
    return found == frenchNames_.end() ? std::string() : found->second;
}

// ===== Binding and loading =============================================================================

void TClassUnitsEdit::DoAttach()
{
    LoadIcons();
    LoadClasses();
}

void TClassUnitsEdit::LoadIcons()
{
    TVktObject* object = GetVktObject();
    if (!object) return;
    classIcons_ = platform::IconList::FromImageList(object->GetClassIcons());
    classView_->SetImages(&classIcons_);
    classEditPanel_->SetImages(&object->GetClassIcons());
}

void TClassUnitsEdit::DoDetach()
{
    classView_->Clear();
    frenchNames_.clear();
    classView_->SetImages(nullptr);
    classEditPanel_->SetImages(nullptr);
    formEditPanel_->Clear();
    unitEditPanel_->Clear();
    branch_ = -1;
}

bool TClassUnitsEdit::AddClassNode(int classId)
{
    TVDBClass reader(GetVktObject());
    const auto read = [&](TVktField field, const platform::Variant& value) {
        TFilterObject filter;
        filter.Add(field, foEqual, value, {});
        Query(reader, filter);
        reader.Locate(classId);
        return reader.GetRowCount() > 0 && reader.GetClassID() == classId;
    };
    // A class this page added is read by the tree index it takes (the last child of its parent);
    // any other by its id (which lists its sub-tree, none for a new class).
    const bool found = (expectedTree_.Depth() > 0 && read(F::TreeID, expectedTree_.GetAsString())) ||
                       read(F::Class_ID, classId);
    if (!found) return false;
    classView_->AddClass(classId, reader.GetClassType(), reader.GetIconKey(), reader.GetClass(), reader.GetTreeID());
    frenchNames_[classId] = reader.GetClass2();
    return true;
}

void TClassUnitsEdit::LoadClasses(int selectId)
{
    TVktObject* object = GetVktObject();
    if (!object || !object->IsValid()) return;
    ++treeLoads_;
    TVDBClass reader(object);
    TFilterObject filter;
    for (int type = ctFood; type <= ctMenu; ++type) filter.Add(F::ClassType, foEqual, type, {});
    Query(reader, filter);
    {
        // The tree is listed anew (its nodes kept where their classes are): no edit is written for
        // the nodes that go or move.
        const QSignalBlocker blocker(classView_->GetClassTree());
        classView_->BeginLoad();
        for (int row = 0; row < reader.GetRowCount(); ++row) {
            reader.SetRowIndex(row);
            classView_->AddClass(reader.GetClassID(), reader.GetClassType(), reader.GetIconKey(), reader.GetClass(),
                                 reader.GetTreeID());
            frenchNames_[reader.GetClassID()] = reader.GetClass2();
        }
        classView_->EndLoad();
        // Names of classes no longer listed go (the others were written over in place).
        std::erase_if(frenchNames_, [this](const auto& entry) { return !classView_->FindNode(entry.first); });
    }
    QTreeWidget* tree = classView_->GetClassTree();
    branch_ = -1;
    QTreeWidgetItem* selected = classView_->FindNode(selectId);
    if (!selected && tree->topLevelItemCount() > 0) selected = tree->topLevelItem(0);
    // A selection its node kept through the load is taken up again as a new one would be.
    if (selected && tree->currentItem() != selected) tree->setCurrentItem(selected);
    else ClassViewClassTreeChange();
}

void TClassUnitsEdit::LoadList(TUnitsEditPanel* panel, int kind)
{
    std::vector<TUnitRow> rows;
    if (Active() && branch_ >= 0) {
        TVDBUnits reader(GetVktObject());
        TFilterObject filter;
        filter.SetKind(kind);
        Query(reader, filter);
        for (int row = 0; row < reader.GetRowCount(); ++row) {
            reader.SetRowIndex(row);
            rows.push_back({reader.GetUnitsID(), reader.GetUnits(), reader.GetUnits2()});
        }
    }
    panel->SetRows(rows, 0);
}

void TClassUnitsEdit::LoadForms() { LoadList(formEditPanel_, branch_ + 1); }
void TClassUnitsEdit::LoadUnits() { LoadList(unitEditPanel_, branch_ + 4); }

// ===== Tree selection and commits ======================================================================

void TClassUnitsEdit::ClassViewClassTreeChange()
{
    if (!Active()) return;
    QTreeWidgetItem* node = classView_->GetCurrentNode();
    if (!node) node = classView_->GetClassTree()->currentItem();
    classEditPanel_->Load(classView_->GetNodeText(node),
                          GetFrenchName(classView_->GetNodeID(node)),
                          classView_->GetNodeImage(node));
    const int branch = BranchOf(classView_->GetNodeTreeIndex(node));
    if (branch != branch_) {
        branch_ = branch;
        LoadForms();
        LoadUnits();
    }
}

void TClassUnitsEdit::ClassViewClassTreeChanging(QTreeWidgetItem* leaving, QTreeWidgetItem* entering)
{
    if (!IsModified() || !Active() || !leaving || deleting_) return;
    if (editMode_ == emClass) {
        commitClassId_ = classView_->GetNodeID(leaving);
        try {
            classEditPanel_->ApplyEdit();
        } catch (...) {
            commitClassId_ = 0;
            throw;
        }
        commitClassId_ = 0;
        return;
    }
    if (BranchOf(classView_->GetNodeTreeIndex(entering)) == BranchOf(classView_->GetNodeTreeIndex(leaving))) return;
    if (formEditPanel_->GetModified()) formEditPanel_->ApplyEdit();
    else unitEditPanel_->ApplyEdit();
}

void TClassUnitsEdit::ClassReturn()
{
    const int classId = commitClassId_ != 0 ? commitClassId_ : classView_->GetSelectedID();
    if (!Active() || classId == 0) return;
    const platform::BusyCursor busy;
    TPriorityItem ids;
    ids << classId;
    const int part = classEditPanel_->GetEditPart();
    const F field = part == TClassEditPanel::epIcon ? F::Icon_Key : part == TClassEditPanel::epName ? F::Class : F::Class2;
    writing_ = {classId, ToInt(field),
                part == TClassEditPanel::epName ? classEditPanel_->GetName() : classEditPanel_->GetName2(),
                classEditPanel_->GetIcon()};
    bool stored = false;
    try {
        if (field == F::Icon_Key) stored = GetVktObject()->EditData(field, writing_.icon, ids);
        else stored = GetVktObject()->EditData(field, writing_.text, ids);
    } catch (...) {
        writing_ = {};
        throw;
    }
    writing_ = {};
    if (stored) return;
    // Not stored (the database object said why): the class shows as stored.
    ClassFieldChanged(ToInt(field), classId);
    if (commitClassId_ == 0) ClassViewClassTreeChange();
}

void TClassUnitsEdit::UnitsReturn(TUnitsEditPanel* panel)
{
    const int id = panel->GetEditID();
    if (!Active() || id == 0) return;
    const platform::BusyCursor busy;
    TPriorityItem ids;
    ids << id;
    const bool stored = panel->GetEditPart() == TUnitsEditPanel::epName
                            ? GetVktObject()->EditData(F::Units, panel->GetName(), ids)
                            : GetVktObject()->EditData(F::Units2, panel->GetName2(), ids);
    if (stored) return;
    // Not stored (the database object said why): the list shows as stored.
    if (panel == formEditPanel_) LoadForms();
    else LoadUnits();
}

void TClassUnitsEdit::ClassFieldChanged(int field, int classId)
{
    if (field == ToInt(F::TreeID)) {
        LoadClasses(classView_->GetSelectedID());
        return;
    }
    if (field != ToInt(F::Class) && field != ToInt(F::Icon_Key) && field != ToInt(F::Class2)) return;
    QTreeWidgetItem* node = classView_->FindNode(classId);
    if (!node) return;
    if (writing_.classId == classId && writing_.field == field) {
        // This page's own write: the value is known.
        if (field == ToInt(F::Class)) classView_->SetNodeText(node, writing_.text);
        else if (field == ToInt(F::Icon_Key)) classView_->SetNodeImage(node, writing_.icon);
        else frenchNames_[classId] = writing_.text;
        return;
    }
    // The listed class is read by its tree index (a class filter would list its whole sub-tree).
    TVDBClass reader(GetVktObject());
    TFilterObject filter;
    filter.Add(F::TreeID, foEqual, classView_->GetNodeTreeIndex(node).GetAsString(), {});
    Query(reader, filter);
    reader.Locate(classId);
    if (reader.GetRowCount() == 0 || reader.GetClassID() != classId) return;
    if (field == ToInt(F::Class)) classView_->SetNodeText(node, reader.GetClass());
    else if (field == ToInt(F::Icon_Key)) classView_->SetNodeImage(node, reader.GetIconKey());
    else frenchNames_[classId] = reader.GetClass2();
}

// ===== Buttons =========================================================================================

void TClassUnitsEdit::CommitPending()
{
    switch (editMode_) {
    case emClass:
        if (classEditPanel_->GetModified()) classEditPanel_->ApplyEdit();
        break;
    default:
        if (GetUnitsPanel(editMode_)->GetModified()) GetUnitsPanel(editMode_)->ApplyEdit();
        break;
    }
}

void TClassUnitsEdit::AddClassUnder(QTreeWidgetItem* parent)
{
    if (!parent) return;
    expectedTree_ = classView_->GetNodeTreeIndex(parent);
    expectedTree_.SetDigit(expectedTree_.Depth(), parent->childCount());
    try {
        GetVktObject()->AddClass(classView_->GetNodeID(parent), "");
    } catch (...) {
        expectedTree_ = TTreeIndex();
        throw;
    }
    expectedTree_ = TTreeIndex();
}

void TClassUnitsEdit::ClassEditPanelBtnNewClick()
{
    QTreeWidgetItem* node = classView_->GetClassTree()->currentItem();
    if (!Active() || !node || !node->parent()) return;
    CommitPending();
    node = classView_->GetClassTree()->currentItem();
    if (node) AddClassUnder(node->parent());
}

void TClassUnitsEdit::ClassEditPanelBtnChildNewClick()
{
    if (!Active() || classView_->GetSelectedID() == 0) return;
    CommitPending();
    AddClassUnder(classView_->GetClassTree()->currentItem());
}

void TClassUnitsEdit::ClassEditPanelBtnUpClick()
{
    if (!Active() || classView_->GetSelectedID() == 0) return;
    CommitPending();
    GetVktObject()->MoveClassUp(classView_->GetSelectedID());
}

void TClassUnitsEdit::ClassEditPanelBtnDownClick()
{
    if (!Active() || classView_->GetSelectedID() == 0) return;
    CommitPending();
    GetVktObject()->MoveClassDown(classView_->GetSelectedID());
}

void TClassUnitsEdit::FormEditPanelBtnNewClick()
{
    if (!Active() || classView_->GetSelectedID() == 0) return;
    CommitPending();
    GetVktObject()->AddForm(static_cast<std::int8_t>(classView_->GetSelectedClassType()), "");
}

void TClassUnitsEdit::UnitEditPanelBtnNewClick()
{
    if (!Active() || classView_->GetSelectedID() == 0) return;
    CommitPending();
    GetVktObject()->AddUnit(static_cast<std::int8_t>(classView_->GetSelectedClassType()), "");
}
