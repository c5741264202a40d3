#pragma once
// TImageEditPanel: a record's picture (the bytes of its file) in the image view, with files, the
// clipboard, rotation and mirroring. Entering the view remembers the bytes as the undo data; a
// change, leaving the view or Ctrl+Enter applies (OnApply; the owner reads GetImage), Esc
// restores. The net turn and mirroring since the last apply are tracked in four flags, so a
// right turn undone by a left one leaves the panel unmodified. Operations that touch files, the
// clipboard or the pixels run under the busy cursor.
#include <QFrame>

#include <functional>
#include <string>

class TImageView;

class TImageEditPanel : public QFrame {
    Q_OBJECT
public:
    using TNotify = std::function<void(QObject* Sender)>;

    explicit TImageEditPanel(QWidget* parent = nullptr);

    std::string GetImage() const;
    // Loads the bytes as the unmodified picture.
    void SetImage(const std::string& bytes);

    // Each starts an edit first when none is pending. A file that cannot be read leaves the
    // picture as it was (false).
    void Clear();
    bool LoadFromFile(const std::string& name);
    void PasteFromClipboard();
    // Writes under the name with the picture's extension (given back).
    void SaveToFile(std::string& name);
    void CopyToClipboard();

    void RotateRight();
    void RotateLeft();
    void MirrorHorz();
    void MirrorVert();

    // Any of the bytes, the mirror and the turn flags set.
    bool IsModified() const;
    bool GetDataChanged() const { return dataChanged_; }
    bool GetHorzMirrored() const { return horzMirrored_; }
    bool GetVertMirrored() const { return vertMirrored_; }
    bool GetRotatedLeft() const { return rotatedLeft_; }
    bool GetRotatedRight() const { return rotatedRight_; }

    void ApplyEdit();
    void CancelEdit();

    TImageView* GetImageView() const { return imageView_; }

    TNotify OnApply;
    TNotify OnModifiedChange;

protected:
    virtual void DoApply();
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ModifiedChange();
    void ClearFlags();
    // Focuses the view and takes the undo data when no edit is pending.
    void BeginEdit();
    void Rotate(int direction, bool& same, bool& opposite);
    void ImageEnter();
    void ImageExit();
    void ImageViewChange();
    bool ImageKeyDown(int key, Qt::KeyboardModifiers modifiers);

    TImageView* imageView_ = nullptr;
    bool dataChanged_ = false;
    bool horzMirrored_ = false;
    bool vertMirrored_ = false;
    bool rotatedLeft_ = false;
    bool rotatedRight_ = false;
    std::string undoData_;
};
