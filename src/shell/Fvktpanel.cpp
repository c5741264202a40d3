#include "shell/Fvktpanel.h"

#include "shell/Mvktcommandmodule.h"

TVktPanel::TVktPanel(QWidget* parent, TPanelOwner* owner) : TGuiPanel(parent, owner)
{
    CreateVktCommandModule();
}

TVktPanel::~TVktPanel() = default;

void TVktPanel::Setup() {}
void TVktPanel::ShowClassBar(bool on) { classBarShown_ = on; }
void TVktPanel::ShowInventory(bool on) { inventoryMode_ = on; }
void TVktPanel::ShowPreview(bool on) { previewMode_ = on; }
bool TVktPanel::IsFiltered() const { return false; }
bool TVktPanel::IsEditing() const { return false; }
void TVktPanel::DoChange()
{
    if (OnChange) OnChange(this);
}
int TVktPanel::GetClassPanelWidth() const { return 200; }
void TVktPanel::SetClassPanelWidth(int) {}
bool TVktPanel::ClassTreeDragOver(const QMimeData*, QTreeWidgetItem*) const { return false; }
void TVktPanel::ClassTreeDragDrop(QTreeWidgetItem*) {}
bool TVktPanel::ItemGridDragOver(const QMimeData*) const { return false; }
void TVktPanel::ItemGridDragDrop() {}
void TVktPanel::DrawInvDateItem(QPainter&, const QRect&, const QString&) const {}
void TVktPanel::ClassFilterChange(TClassFilterBase*) {}
bool TVktPanel::eventFilter(QObject* watched, QEvent* event) { return TGuiPanel::eventFilter(watched, event); }
