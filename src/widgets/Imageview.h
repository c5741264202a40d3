#pragma once
// A scrolled control showing one picture held as the bytes of its file (BMP, EMF or JPEG): fitted
// into the client keeping its aspect ratio, or at natural size with scroll bars. It trades the
// picture with files and the clipboard (Ctrl+C, Ctrl+X, Ctrl+V) and turns and mirrors it.
#include "gui/PictureData.h"
#include "gui/PicturePixels.h"
#include "widgets/Scrollcanvas.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace platform {
class BitmapCanvas;
}

class TImageView : public TScrollCanvas {
    Q_OBJECT
public:
    explicit TImageView(QWidget* owner = nullptr);
    ~TImageView() override;

    // The picture's bytes; "" clears it, bytes of an unknown kind leave no picture.
    std::string GetData() const;
    void SetData(const std::string& bytes);
    // The picture as BMP bytes; setting bytes that are not a bitmap leaves no picture.
    std::string GetBMPData() const;
    void SetBMPData(const std::string& bytes);

    // By the lower-case extension (.bmp, .emf, .jpg, .jpeg); failures are shown as messages. A
    // metafile that cannot be drawn is kept and said, as a pasted one (TellIfUndrawable).
    void LoadFromFile(const std::string& name);
    // Writes the picture under ForceExtension(name) and gives that name back in `name`.
    void SaveToFile(std::string& name);
    // The name SaveToFile writes: the extension forced to the picture's kind (.bmp, .emf, .jpg;
    // .jpeg kept for a JPEG); unchanged without a picture.
    std::string ForceExtension(const std::string& name) const;

    // False when nothing was put on the clipboard (no picture, or one that cannot be drawn).
    bool CopyToClipBoard();
    // A bitmap (kind 1) from an image on the clipboard, else a metafile (kind 2).
    void PasteFlomClipBoard();

    // Says why the picture shown cannot be drawn, a metafile once its player has ended: only while
    // this view, visible, still shows it then.
    void TellIfUndrawable();

    // 0 right by 90°, 1 by 180°, 2 left by 90°.
    void Rotate(int direction);
    // Left–right, or top–bottom when `vertical`.
    void Mirror(bool vertical);

    bool GetEqual() const { return equal_; }
    void SetEqual(bool equal);
    bool GetShowFocus() const { return showFocus_; }
    void SetShowFocus(bool show);

    bool HasPicture() const { return !picture_.IsEmpty(); }
    // 0 none, 1 bitmap, 2 metafile, 3 JPEG.
    int GetKind() const { return static_cast<int>(picture_.GetKind()); }
    const platform::PictureData& GetPicture() const { return picture_; }

    // The size of a width × height picture fitted into a cw × ch client (each rounded up by one).
    static void GetEqual(int cw, int ch, int& height, int& width);

    std::function<void(QObject* sender)> OnChange;

protected:
    void DoFocus(bool focused) override;
    void DoDraw(platform::Canvas& canvas, int xOffset, int yOffset) override;
    void DoResizeDelay() override;
    bool ScrollsPixels() const override;
    virtual void DoChange();
    // Brings the document size in line with the picture and reports the change.
    void Change();
    // Change for a new or changed picture.
    void PictureChange();

    void keyPressEvent(QKeyEvent* event) override;

private:
    // Natural size with a drawable picture: painted straight from the picture, no buffer between.
    bool DrawsDirect() const;
    // Paints the picture onto `target` as onto a bw × bh client scrolled to the offsets.
    void DrawPicture(platform::Canvas& target, int bw, int bh, int xOffset, int yOffset) const;

    platform::PictureData picture_;
    std::unique_ptr<platform::BitmapCanvas> buffer_;
    // After a direct paint the buffer is stale: it is drawn from these offsets when a resize
    // delay shows it.
    bool bufferStale_ = false;
    int drawnX_ = 0;
    int drawnY_ = 0;
    // Counts the pictures shown, so that a refusal told late is said only of the one still shown.
    std::uint64_t shown_ = 0;
    bool equal_ = true;
    bool showFocus_ = false;
    // A metafile drawn as a frame while it plays is drawn again when its player has ended.
    mutable platform::JobWaiter played_{[this] { viewport()->update(); }};
    // A drawing shown before its pixels were made is shown again when they are.
    mutable platform::JobWaiter rastered_{[this] { viewport()->update(); }};
};

// Says, when a picture just loaded or pasted cannot be drawn, why (its bytes are kept as they are):
// a metafile once its player has ended, and then only while `shownBy` exists and is visible and
// `stillShown` (when given) holds.
void TellUndrawablePicture(const std::string& bytes, const QWidget& shownBy, std::function<bool()> stillShown = {});
