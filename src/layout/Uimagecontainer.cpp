#include "layout/Uimagecontainer.h"

#include "core/Uvktsupport.h"
#include "gui/Image.h"
#include "gui/QtSupport.h"
#include "platform/Files.h"
#include "platform/Text.h"
#include "platform/Units.h"

#include <QImage>

#include <filesystem>

namespace {

std::string FilePart(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// A bitmap with the colour of its bottom-left pixel made transparent.
platform::Image TransparentImage(const platform::Image& image)
{
    QImage q = image.Q().convertToFormat(QImage::Format_ARGB32);
    if (q.isNull() || q.height() == 0)
        return image;
    const QRgb key = q.pixel(0, q.height() - 1);
    for (int y = 0; y < q.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(q.scanLine(y));
        for (int x = 0; x < q.width(); ++x)
            if (line[x] == key)
                line[x] = 0;
    }
    return platform::Image(q);
}

} // namespace

// A picture as a cell draws it: a metafile with its play or drawing, or a bitmap or JPEG decoded;
// what is drawn of one is made transparent when asked and, on screen, scaled to the size drawn
// once, its full decoding let go afterwards.
struct TImageContainer::ShownPicture {
    platform::PictureData Picture;
    // A bitmap or JPEG that decodes; the picture's own size.
    bool Decodes = false;
    int Width = 0;
    int Height = 0;
    platform::Image Full;
    platform::Image Sized;

    ShownPicture(std::string bytes, bool transparent)
    {
        Picture.SetBytes(std::move(bytes));
        Decodes = Picture.GetKind() != platform::PictureKind::Metafile && Picture.CanDraw();
        Width = Picture.GetWidth();
        Height = Picture.GetHeight();
        Decode(transparent);
    }

    void Decode(bool transparent)
    {
        Full = transparent && Picture.GetKind() == platform::PictureKind::Bitmap ? TransparentImage(Picture.GetImage())
                                                                                 : Picture.GetImage();
    }

    // The picture for `w` × `h` pixels: scaled to them, or as it is.
    const platform::Image& DrawnAt(int w, int h, bool scaled, const std::string& bytes, bool transparent)
    {
        if (scaled && Sized.GetWidth() == w && Sized.GetHeight() == h)
            return Sized;
        if (Full.IsEmpty()) {
            Picture.SetBytes(bytes);
            Decode(transparent);
        }
        if (!scaled)
            return Full;
        Sized = platform::Image(Full.Q().scaled(w, h, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        return Sized;
    }

    // Lets the full decoding go once the picture is held at the size drawn.
    void KeepSizedOnly()
    {
        if (Sized.IsEmpty() || Picture.GetKind() == platform::PictureKind::Metafile)
            return;
        Full = platform::Image();
        Picture.Clear();
    }
};

// ---- one picture ---------------------------------------------------------------------------------

void TImageContainerItem::LoadFromFile(const std::string& path)
{
    FileName.clear();
    const std::string ext = platform::LowerCase(std::filesystem::path(path).extension().string());
    platform::PictureKind kind = platform::PictureKind::None;
    if (ext == ".bmp")
        kind = platform::PictureKind::Bitmap;
    else if (ext == ".jpg" || ext == ".jpeg")
        kind = platform::PictureKind::Jpeg;
    else if (ext == ".emf")
        kind = platform::PictureKind::Metafile;
    if (kind != platform::PictureKind::None) {
        std::string bytes = platform::ReadFileBytes(path);
        picture_.LoadStrict(bytes, kind);
        imageData_ = std::move(bytes);
        FileName = FilePart(path);
    } else {
        picture_.Clear();
    }
    DoChange();
}

void TImageContainerItem::SetImageData(const std::string& bytes)
{
    imageData_ = bytes;
    picture_.SetBytes(bytes);
    DoChange();
}

void TImageContainerItem::SaveToFile(const std::string& path)
{
    if (picture_.IsEmpty())
        return;
    const std::string target =
        std::filesystem::path(path).replace_extension(platform::PictureData::ExtensionOf(picture_.GetKind())).string();
    platform::WriteFileAtomic(target, imageData_);
    FileName = FilePart(target);
}

void TImageContainerItem::Clear()
{
    if (picture_.IsEmpty())
        return;
    picture_.Clear();
    DoChange();
}

void TImageContainerItem::Rotate(bool left)
{
    if (picture_.IsEmpty())
        return;
    picture_.Rotate(left ? 2 : 0);
    imageData_ = picture_.GetBytes();
    DoChange();
}

void TImageContainerItem::Reverse(bool vertical)
{
    if (picture_.IsEmpty())
        return;
    picture_.Mirror(vertical);
    imageData_ = picture_.GetBytes();
    DoChange();
}

TPoint TImageContainerItem::GetSize_() const
{
    const double s = platform::ScreenPixelsPerInch();
    return {static_cast<int>(picture_.GetWidth() * 100 / s + 1), static_cast<int>(picture_.GetHeight() * 100 / s + 1)};
}

TPoint TImageContainerItem::GetMMSize_() const
{
    const double s = platform::ScreenPixelsPerInch();
    return {static_cast<int>(picture_.GetWidth() * 100 / s * platform::kMMPerInch + 1),
            static_cast<int>(picture_.GetHeight() * 100 / s * platform::kMMPerInch + 1)};
}

void TImageContainerItem::DoChange()
{
    if (OnChange)
        OnChange(this);
}

// ---- the container -------------------------------------------------------------------------------

TImageContainer::TImageContainer() : TContainer(ctImage) {}

TImageContainer::TImageContainer(int type) : TContainer(type) {}

TImageContainer::~TImageContainer()
{
    for (auto& item : items_)
        item->OnChange = nullptr;
}

TImageContainerItem* TImageContainer::Append()
{
    items_.push_back(std::make_unique<TImageContainerItem>());
    return items_.back().get();
}

void TImageContainer::AddFile(const std::string& path)
{
    TImageContainerItem* item = Append();
    item->LoadFromFile(path);
    item->OnChange = [this](TImageContainerItem*) { Change(); };
    Change();
}

void TImageContainer::AddImage(const std::string& base64)
{
    TImageContainerItem* item = Append();
    item->SetImageData(Base64ToBin(base64));
    item->OnChange = [this](TImageContainerItem*) { Change(); };
    Change();
}

void TImageContainer::DeleteItem(int index)
{
    GetItems(index)->OnChange = nullptr;
    items_.erase(items_.begin() + index);
    Change();
}

void TImageContainer::Clear()
{
    while (!items_.empty())
        DeleteItem(0);
}

void TImageContainer::MoveItem(int from, int to)
{
    GetItems(from);
    GetItems(to);
    auto item = std::move(items_[static_cast<std::size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
    Change();
}

void TImageContainer::Rotate(int index, bool left) { GetItems(index)->Rotate(left); }
void TImageContainer::Reverse(int index, bool vertical) { GetItems(index)->Reverse(vertical); }

int TImageContainer::GetItemCount() const
{
    return GetType() == ctImage ? static_cast<int>(items_.size()) : colCount_ * rowCount_;
}

TImageContainerItem* TImageContainer::GetItems(int index) const
{
    if (index < 0 || index >= static_cast<int>(items_.size()))
        platform::RaiseListIndex(index);
    return items_[static_cast<std::size_t>(index)].get();
}

std::string TImageContainer::GetFileName(int index)
{
    return index >= 0 && index < static_cast<int>(items_.size()) ? items_[static_cast<std::size_t>(index)]->FileName
                                                                   : std::string();
}

std::string TImageContainer::GetImageData(int index)
{
    return index >= 0 && index < static_cast<int>(items_.size())
               ? items_[static_cast<std::size_t>(index)]->GetImageData()
               : std::string();
}

void TImageContainer::SetFileName(int index, const std::string& name) { GetItems(index)->FileName = name; }
void TImageContainer::SetImageData(int index, const std::string& bytes) { GetItems(index)->SetImageData(bytes); }

std::string TImageContainer::GetFileNames() const
{
    std::vector<std::string> names;
    for (const auto& item : items_)
        names.push_back(item->FileName);
    return platform::JoinCommaText(names);
}

int TImageContainer::GetPageMax()
{
    const int n = colCount_ * rowCount_;
    const int count = GetItemCount();
    return n == 1 ? count : (count + n - 1) / n;
}

void TImageContainer::DoChange() { changed_ = true; }

int TImageContainer::CellIndex(int page, int row, int col) const
{
    if (GetItemCount() == 1 && colCount_ == 1 && rowCount_ == 1)
        return 0;
    return colCount_ * rowCount_ * (page - 1) + row * colCount_ + col;
}

// ---- drawing -------------------------------------------------------------------------------------

void TImageContainer::FitPicture(bool trim, int w, int h, int& a, int& b)
{
    const int r1 = w != 0 && h != 0 ? static_cast<int>(static_cast<double>(w) / h * 1000) : 1000;
    const int r2 = a != 0 && b != 0 ? static_cast<int>(static_cast<double>(a) / b * 1000) : 1000;
    double k = 0;
    const bool followHeight = trim ? r2 > r1 : r2 < r1;
    const bool followWidth = trim ? r2 < r1 : r2 > r1;
    if (followHeight && a != 0)
        k = static_cast<double>(h) * r2 / a / 1000;
    else if (followWidth && r2 != 0 && b != 0)
        k = static_cast<double>(w) / r2 / b * 1000;
    else if (a != 0)
        k = static_cast<double>(w) / a;
    a = static_cast<int>(a * k + 1);
    b = static_cast<int>(b * k + 1);
}

void TImageContainer::Draw(int offsetX, int offsetY, TRect rect, int scale, platform::Canvas& canvas, int page,
                           int pageMax, bool printer)
{
    if (printer) {
        platform::CanvasState state(canvas);
        canvas.SelectClip(nullptr);
        const int cw = rect.Width() / colCount_;
        const int ch = rect.Height() / rowCount_;
        // The page's metafiles play side by side (asked for while the page is drawn) while the
        // cells wait for them in turn.
        std::vector<std::shared_ptr<const platform::MetafilePlay>> ahead;
        PlayPictures(page, ahead);
        for (int r = 0; r < rowCount_; ++r)
            for (int c = 0; c < colCount_; ++c) {
                const TRect cell{rect.Left + c * cw, rect.Top + r * ch, rect.Left + (c + 1) * cw,
                                 rect.Top + (r + 1) * ch};
                DrawImage(CellIndex(page, r, c), offsetX, offsetY, cell, scale, canvas, true);
            }
        return;
    }
    // A page written to PDF waits for the pictures' players.
    const bool wait = canvas.Kind() == platform::CanvasKind::Pdf || canvas.Kind() == platform::CanvasKind::Printer;
    if (changed_ || cachedPage_ != page || cache_.GetWidth() != rect.Width() ||
        cache_.GetHeight() != rect.Height() || (wait && played_.IsWaiting())) {
        changed_ = false;
        cachedPage_ = page;
        DrawMeta({0, 0, rect.Width(), rect.Height()}, scale, canvas, page, pageMax, wait);
    }
    if (!cache_.IsEmpty()) {
        const int x = offsetX + rect.Left;
        const int y = offsetY + rect.Top;
        canvas.DrawMetafile({x, y, x + cache_.GetWidth(), y + cache_.GetHeight()}, cache_, &rastered_);
    }
}

void TImageContainer::PlayPictures(int page, std::vector<std::shared_ptr<const platform::MetafilePlay>>& plays)
{
    for (int r = 0; r < rowCount_; ++r)
        for (int c = 0; c < colCount_; ++c)
            if (auto play = platform::PlayMetafileAhead(GetImageData(CellIndex(page, r, c))))
                plays.push_back(std::move(play));
}

void TImageContainer::DrawMeta(const TRect& rect, int scale, platform::Canvas& canvas, int page, int, bool wait)
{
    cache_ = platform::PageRecording();
    played_.Clear();
    // The pictures of the page recorded before are taken over; the others are let go.
    ShownPictures before;
    if (shownTransparent_ == transparent_)
        before = std::move(shown_);
    shown_.clear();
    shownTransparent_ = transparent_;
    const int w = rect.Width();
    const int h = rect.Height();
    if (w <= 0 || h <= 0)
        return;
    platform::PageRecorder recorder(w, h, canvas.DpiY());
    int top = rect.Top;
    for (int r = 0; r < rowCount_; ++r) {
        const int bottom = static_cast<int>(static_cast<double>(h) / rowCount_ * (r + 1));
        int left = rect.Left;
        for (int c = 0; c < colCount_; ++c) {
            const int right = static_cast<int>(static_cast<double>(w) / colCount_ * (c + 1));
            DrawImage(CellIndex(page, r, c), 0, 0, {left, top, right, bottom}, scale, recorder.GetCanvas(), wait,
                      &recorder, &before);
            left = right;
        }
        top = bottom;
    }
    for (auto& entry : shown_)
        entry.second->KeepSizedOnly();
    cache_ = recorder.Finish();
}

void TImageContainer::PicturesPlayed()
{
    TViewItem* item = GetViewItem();
    const TViewItemsContentChange content(item ? item->GetOwner() : nullptr);
    Change();
}

void TImageContainer::DrawImage(int index, int offsetX, int offsetY, TRect cell, int scale, platform::Canvas& canvas,
                                bool wait, platform::PageRecorder* recorder, ShownPictures* before)
{
    const std::string name = GetFileName(index);
    const std::string bytes = GetImageData(index);
    if (bytes.empty())
        return;
    std::shared_ptr<ShownPicture> shown;
    if (recorder) {
        const std::pair<std::size_t, std::size_t> key{bytes.size(), std::hash<std::string>{}(bytes)};
        std::shared_ptr<ShownPicture>& kept = shown_[key];
        if (!kept && before) {
            if (const auto it = before->find(key); it != before->end())
                kept = std::move(it->second);
        }
        if (!kept)
            kept = std::make_shared<ShownPicture>(bytes, transparent_);
        shown = kept;
    } else {
        shown = std::make_shared<ShownPicture>(bytes, transparent_);
    }
    const platform::PictureData& picture = shown->Picture;
    // Unknown bytes and damaged bitmaps or JPEGs draw nothing; a metafile draws its frame.
    const bool metafile = picture.GetKind() == platform::PictureKind::Metafile;
    const bool image = shown->Decodes;
    if (!metafile && !image)
        return;
    if (!wait)
        picture.Play();
    // Waited for, a picture still playing is drawn when played.
    const bool playing = !wait && picture.Playing();
    if (playing)
        played_.Add(platform::ProgramMetafileCache(), picture.GetPlay());
    cell = {cell.Left + offsetX, cell.Top + offsetY, cell.Right + offsetX, cell.Bottom + offsetY};
    platform::CanvasState state(canvas);
    const TRect clip{cell.Left, cell.Top, cell.Right + 1, cell.Bottom + 1};
    canvas.IntersectClip(clip);
    const platform::PageRecording* drawing = metafile && !playing ? picture.Drawing(canvas.GetRunPump()) : nullptr;
    const auto draw = [&](const TRect& dst) {
        if (image) {
            const platform::Image& drawn = shown->DrawnAt(dst.Width(), dst.Height(), !wait, bytes, transparent_);
            if (recorder)
                recorder->Place(clip, dst, drawn);
            else
                canvas.DrawImage(dst, drawn, {0, 0, drawn.GetWidth(), drawn.GetHeight()});
        } else if (drawing && recorder) {
            recorder->Place(clip, dst, *drawing);
        } else if (drawing) {
            picture.Draw(canvas, dst);
        } else {
            canvas.FrameRect(dst, 0);
        }
    };
    const int dpi = canvas.DpiY();
    const int width = shown->Width;
    const int height = shown->Height;
    if (drawType_ == idtStretch || (drawType_ == idtTile && !image && !drawing)) {
        // A metafile that draws nothing (playing, refused, or a frame under one pixel) has no tile
        // size: one frame per cell.
        draw(cell);
    } else if (drawType_ == idtTile) {
        const double s = platform::ScreenPixelsPerInch();
        const int mw = static_cast<int>(width * 100 / s * platform::kMMPerInch + 1);
        const int mh = static_cast<int>(height * 100 / s * platform::kMMPerInch + 1);
        const double perInch = platform::kHundredthMMPerInch;
        const int tw = std::max(1, static_cast<int>(dpi * mw / perInch * scale * 0.0001));
        const int th = std::max(1, static_cast<int>(dpi * mh / perInch * scale * 0.0001));
        for (int y = cell.Top; y < cell.Bottom || y == cell.Top; y += th)
            for (int x = cell.Left; x < cell.Right || x == cell.Left; x += tw)
                draw({x, y, x + tw, y + th});
    } else {
        const int w = cell.Width();
        const int h = cell.Height();
        int a = width;
        int b = height;
        FitPicture(trimming_, w, h, a, b);
        TRect dst{cell.Left + (w - a) / 2, cell.Top + (h - b) / 2, 0, 0};
        if (drawType_ == idtTopLeft)
            dst = {cell.Left, cell.Top, 0, 0};
        else if (drawType_ == idtBottomRight)
            dst = {cell.Right - a, cell.Bottom - b, 0, 0};
        dst.Right = dst.Left + a;
        dst.Bottom = dst.Top + b;
        draw(dst);
    }
    if (drawName_ && !name.empty()) {
        std::string fontName;
        int size = 0;
        DoFont(fontName, size);
        TTextAttribute attribute;
        attribute.Name = fontName;
        attribute.Size = static_cast<int>(dpi * scale * 0.0001 * (1.0 / 72) * size * 0.1);
        attribute.Style = GetFontStyles();
        attribute.Color = GetFontColor();
        attribute.Text = " " + name + " ";
        attribute.HorzAlign = horzAlign_;
        attribute.VertAlign = vertAlign_;
        TTextDrawer(canvas).DrawTextA(cell, attribute);
    }
}

// ---- layout file ---------------------------------------------------------------------------------

void TImageContainer::SaveToXml(const platform::XmlNode& node)
{
    TContainer::SaveToXml(node);
    node.SetIntAttribute("DrawType", drawType_);
    node.SetBoolAttribute("Trimming", trimming_);
    node.SetBoolAttribute("Transparent", transparent_);
    node.SetIntAttribute("ColCount", colCount_);
    node.SetIntAttribute("RowCount", rowCount_);
    node.SetBoolAttribute("DrawName", drawName_);
    node.SetAttribute("HorzAlign", TextHorzAlignToString(horzAlign_));
    node.SetAttribute("VertAlign", TextVertAlignToString(vertAlign_));
    if (GetType() != ctImage)
        return;
    std::vector<std::string> pairs;
    for (int i = 0; i < static_cast<int>(items_.size()); ++i)
        pairs.push_back(platform::JoinCommaText({BinToBase64(GetImageData(i), {}, true), GetFileName(i)}));
    node.SetAttribute("ImageData", platform::JoinCommaText(pairs));
}

void TImageContainer::LoadFromXml(const platform::XmlNode& node)
{
    TContainer::LoadFromXml(node);
    SetDrawType(node.GetIntAttribute("DrawType"));
    SetTrimming(node.GetBoolAttribute("Trimming"));
    SetTransparent(node.GetBoolAttribute("Transparent"));
    SetColCount(node.GetIntAttribute("ColCount"));
    SetRowCount(node.GetIntAttribute("RowCount"));
    SetDrawName(node.GetBoolAttribute("DrawName"));
    SetHorzAlign(TextHorzAlignFromString(node.GetAttribute("HorzAlign")));
    SetVertAlign(TextVertAlignFromString(node.GetAttribute("VertAlign")));
    if (GetType() != ctImage)
        return;
    Clear();
    for (const std::string& pair : platform::SplitCommaText(node.GetAttribute("ImageData"))) {
        const std::vector<std::string> parts = platform::SplitCommaText(pair);
        TImageContainerItem* item = Append();
        item->SetImageData(parts.empty() ? std::string() : Base64ToBin(parts[0]));
        item->FileName = parts.size() > 1 ? parts[1] : std::string();
        item->OnChange = [this](TImageContainerItem*) { Change(); };
    }
    Change();
}
