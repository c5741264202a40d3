#pragma once
// TPreviewOperator: the page and zoom strip of the main tool bar. A zoom selector and a page field
// drive the bound layout document; the document's view, selection and selected-item notices bring
// the strip back in line with it (page count, current page, view type and scale). The zoom field is
// as wide as its longest text needs and the page field takes the rest.
#include "layout/Preview.h"

#include <QPointer>
#include <QWidget>

class TScaleSelecter;
class TUpDownEdit;

class TPreviewOperator : public QWidget {
    Q_OBJECT
public:
    explicit TPreviewOperator(QWidget* parent = nullptr);
    ~TPreviewOperator() override;

    // Unbinds the old document (its notifier goes, the zoom shows mode 0 and 0 %) and binds the
    // new one, showing its view type, scale and pages.
    void SetPreview(TPreview* preview);
    TPreview* GetPreview() const { return preview_; }

    // The controls' values; the setters raise no change.
    int GetPage() const;
    void SetPage(int page);
    int GetPageCount() const;
    void SetPageCount(int count);
    int GetViewType() const;
    void SetViewType(int type);
    int GetScale() const;
    void SetScale(int scale);

    TScaleSelecter* GetScaleSelecter() const { return ScaleSelecter; }
    TUpDownEdit* GetPageEdit() const { return PageEdit; }

protected:
    // Either control changed: page, then zoom, to the document.
    void Apply();
    void PreviewChangeView();
    void PreviewSelChange();

    TScaleSelecter* ScaleSelecter = nullptr;
    TUpDownEdit* PageEdit = nullptr;

private:
    TPVActionNotifier* notifier_ = nullptr;
    QPointer<TPreview> preview_;
};
