#pragma once
// TPreviewProperty: the page settings of a layout document: the printer frame ("印刷する用紙")
// above the paper frame ("編集する用紙") on one tab. Showing a document fills the paper frame
// from it; every change on the paper frame writes paper, size or orientation and margins into it.
#include "layout/Preview.h"

#include <QPointer>
#include <QWidget>

class QScrollArea;
class QTabWidget;
class TPaperProperty;
class TPrinterProperty;

class TPreviewProperty : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewProperty(QWidget* parent = nullptr);

    // Binds the document (null: none) and shows its paper, orientation, size and margins.
    void SetPreview(TPreview* preview);
    TPreview* GetPreview() const { return preview_; }

    TPrinterProperty* GetPrinterProperty() const { return PrinterProperty; }
    TPaperProperty* GetPaperProperty() const { return PaperProperty; }

protected:
    // The paper frame changed: its settings into the document.
    void PaperPropertyChange();

    QTabWidget* PageProperty = nullptr;
    QWidget* TabSheet1 = nullptr;
    QScrollArea* ScrollBox1 = nullptr;
    TPrinterProperty* PrinterProperty = nullptr;
    TPaperProperty* PaperProperty = nullptr;

private:
    QPointer<TPreview> preview_;
};
