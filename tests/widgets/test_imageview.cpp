#include "gui/Application.h"
#include "gui/Clipboard.h"
#include "gui/PictureData.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/Files.h"
#include "platform/JpegWriter.h"
#include "support/ScriptedServices.h"
#include "support/TestPictures.h"
#include "widgets/Imageview.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace {

using platform::PictureKind;
using platform::RgbColor;
using vkttest::MakeEmf;

// 3 × 2 greys 0, 40, … 200 row by row (distinct in luminance, so a JPEG keeps them apart).
platform::Picture SmallPicture()
{
    platform::Picture picture(3, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x) {
            const int g = (y * 3 + x) * 40;
            picture.SetPixel(x, y, RgbColor(g, g, g));
        }
    return picture;
}

// The picture as "g g g / g g g" rows of grey levels rounded to the nearest 40.
std::string Greys(const platform::Picture& picture)
{
    std::string text;
    for (int y = 0; y < picture.GetHeight(); ++y) {
        if (y)
            text += "/";
        for (int x = 0; x < picture.GetWidth(); ++x)
            text += (x ? " " : "") + std::to_string((platform::GreenOf(picture.GetPixel(x, y)) + 20) / 40 * 40);
    }
    return text;
}

// A progressive JPEG of 208 bytes declaring 4000 × 4000 pixels (a uniform picture through cjpeg
// -arithmetic -sample 1x1 with one DC scan): its coefficients would take 96 MB of libjpeg's memory,
// far beyond what so few bytes may ask.
std::string JpegOverItsMemory()
{
    return std::string(
        "\xFF\xD8\xFF\xE0\x00\x10\x4A\x46\x49\x46\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xFF\xDB\x00\x43"
        "\x00\x10\x0B\x0C\x0E\x0C\x0A\x10\x0E\x0D\x0E\x12\x11\x10\x13\x18\x28\x1A\x18\x16\x16\x18\x31\x23"
        "\x25\x1D\x28\x3A\x33\x3D\x3C\x39\x33\x38\x37\x40\x48\x5C\x4E\x40\x44\x57\x45\x37\x38\x50\x6D\x51"
        "\x57\x5F\x62\x67\x68\x67\x3E\x4D\x71\x79\x70\x64\x78\x5C\x65\x67\x63\xFF\xDB\x00\x43\x01\x11\x12"
        "\x12\x18\x15\x18\x2F\x1A\x1A\x2F\x63\x42\x38\x42\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63"
        "\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63"
        "\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\x63\xFF\xCA\x00\x11\x08\x0F\xA0\x0F\xA0\x03"
        "\x01\x11\x00\x02\x11\x01\x03\x11\x01\xFF\xCC\x00\x06\x00\x10\x01\x10\xFF\xDA\x00\x0C\x03\x01\x00"
        "\x02\x10\x03\x10\x00\x00\x00\xCD\x4C\xA0\xFD\x27\x0C\x0A\xFF\xD9",
        208);
}

class ImageViewTest : public testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        view.SetColor(RgbColor(255, 255, 255));
    }
    // The view shown with a client of cw × ch pixels.
    void Show(int cw, int ch)
    {
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        const QSize extra = view.size() - view.viewport()->size();
        view.resize(cw + extra.width(), ch + extra.height());
        QCoreApplication::processEvents();
    }
    // Each message's text, "(!)" after a warning, and its caption in brackets unless it is the
    // program's name, as every box has it.
    std::string Messages()
    {
        const std::string program = platform::Application::Instance()->GetDisplayName();
        std::string text;
        for (const auto& m : vkttest::Scripted().messages) {
            text += m.text + (m.icon == platform::MsgIcon::Stop ? "" : m.icon == platform::MsgIcon::Warning ? "(!)" : "(?)");
            text += (m.caption == program && !program.empty() ? "" : "[" + m.caption + "]") + ";";
        }
        return text;
    }

    TImageView view;
    const std::string bmp = platform::EncodeBmp(SmallPicture());
    const std::string jpeg = platform::EncodeJpeg(SmallPicture());
};

TEST_F(ImageViewTest, KindsAndExactBytes)
{
    const std::string emf = MakeEmf(2540, 1270);
    const struct {
        std::string bytes;
        int kind;
        bool kept;
        int width, height;
    } cases[] = {
        {bmp, 1, true, 3, 2},
        {jpeg, 3, true, 3, 2},
        {emf, 2, true, 96, 48},
        {jpeg.substr(0, jpeg.size() / 2), 3, true, 0, 0},
        {JpegOverItsMemory(), 3, true, 0, 0},
        {std::string("BM") + std::string(10, 'x'), 1, true, 0, 0},
        {std::string("\x89PNG\r\n\x1a\n", 8) + std::string(30, '\0'), 0, false, 0, 0},
        {std::string(), 0, false, 0, 0},
    };
    int changes = 0;
    view.OnChange = [&](QObject*) { ++changes; };
    for (const auto& c : cases) {
        view.SetData(c.bytes);
        EXPECT_EQ(view.GetKind(), c.kind);
        EXPECT_EQ(view.GetData(), c.kept ? c.bytes : std::string());
        EXPECT_EQ(view.GetPicture().GetWidth(), c.width);
        EXPECT_EQ(view.GetPicture().GetHeight(), c.height);
    }
    EXPECT_EQ(changes, 8);
    int w = 0, h = 0;
    EXPECT_FALSE(platform::PictureData::MetafileSize(emf.substr(0, 60), w, h));
}

TEST_F(ImageViewTest, FittedPictureIsCentred)
{
    Show(100, 100);
    view.SetData(platform::EncodeBmp(platform::Picture(200, 100, RgbColor(0, 128, 0))));
    EXPECT_EQ(view.GetDocWidth(), 101);
    EXPECT_EQ(view.GetDocHeight(), 51);
    const QImage image = view.viewport()->grab().toImage();
    const QColor green(0, 128, 0);
    EXPECT_EQ(image.pixelColor(50, 23), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(0, 24), green);
    EXPECT_EQ(image.pixelColor(99, 74), green);
    EXPECT_EQ(image.pixelColor(50, 75), QColor(Qt::white));
    // Natural size: drawn at the top-left, scroll bars on.
    view.SetEqual(false);
    EXPECT_EQ(view.GetScrollStyle(), scsBoth);
    EXPECT_EQ(view.GetDocWidth(), 200);
    EXPECT_GT(view.horizontalScrollBar()->maximum(), 0);
}

// Focused, fitted or at natural size, by the keyboard (the style's frame tinted all) or not (it
// drew none): the picture in the colour it decodes to, a dotted frame turning the client's edge.
TEST_F(ImageViewTest, AFocusedPictureKeepsItsColoursInsideTheFocusFrame)
{
    view.SetShowFocus(true);
    view.SetData(platform::EncodeJpeg(platform::Picture(100, 100, RgbColor(189, 163, 140))));
    const QRgb decoded = view.GetPicture().GetImage().Q().pixel(50, 50);
    Show(100, 100);
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view));
    for (const bool keyboard : {true, false}) {
        view.SetEqual(keyboard);
        view.setAttribute(Qt::WA_KeyboardFocusChange, keyboard);   // as a Tab press leaves it
        view.setFocus();
        const QImage image = view.viewport()->grab().toImage();
        const QRect inside = image.rect().adjusted(1, 1, -1, -1);
        int framed = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (inside.contains(x, y))
                    ASSERT_EQ(image.pixel(x, y), decoded) << x << "," << y;
                else
                    framed += image.pixel(x, y) != decoded;
        EXPECT_GT(framed, (image.width() + image.height()) / 2);
    }
}

TEST_F(ImageViewTest, NaturalSizeScrollsAndKeepsItsPixelsDuringAResizeDelay)
{
    platform::Picture picture(300, 200);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 300; ++x)
            picture.SetPixel(x, y, RgbColor(x % 256, y, (x * 7 + y * 3) % 256));
    const auto pictureAt = [&](int x, int y) {
        const platform::TColor c = picture.GetPixel(x, y);
        return QColor(platform::RedOf(c), platform::GreenOf(c), platform::BlueOf(c));
    };
    view.SetEqual(false);
    view.SetData(platform::EncodeBmp(picture));
    view.SetHSmallChange(9);
    view.SetVSmallChange(11);
    Show(100, 80);
    const auto screen = [&] {
        const QPoint at = view.viewport()->mapTo(&view, QPoint());
        return view.screen()->grabWindow(view.winId(), at.x(), at.y(), 100, 80).toImage().convertToFormat(
            QImage::Format_RGB32);
    };
    for (const auto& [orientation, code] : {std::pair{1, 1}, {0, 1}, {1, 1}, {0, 0}, {1, 3}, {1, 0}}) {
        view.ScrollMessage(orientation, code);
        EXPECT_EQ(screen(), view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32));
    }
    const int left = view.GetDocLeft();
    const int top = view.GetDocTop();
    ASSERT_EQ(std::pair(left, top), std::pair(0, 91));
    EXPECT_EQ(screen().pixelColor(99, 79), pictureAt(99 + left, 79 + top));
    // While the resize settles the old pixels stay and only the new strips are filled.
    view.SetResizingDelay(60000);
    view.resize(view.size() + QSize(20, 10));
    QCoreApplication::processEvents();
    ASSERT_TRUE(view.GetResizeDelaying());
    const QImage delayed = view.viewport()->grab().toImage();
    EXPECT_EQ(delayed.pixelColor(5, 79), pictureAt(5 + left, 79 + top));
    EXPECT_EQ(delayed.pixelColor(99, 3), pictureAt(99 + left, 3 + top));
    EXPECT_EQ(delayed.pixelColor(110, 40), QColor(Qt::white));
    EXPECT_EQ(delayed.pixelColor(50, 85), QColor(Qt::white));
}

TEST_F(ImageViewTest, RotationsAndMirrors)
{
    const struct {
        const char* name;
        void (*turn)(TImageView&);
        const char* greys;
    } cases[] = {
        {"right", [](TImageView& v) { v.Rotate(0); }, "120 0/160 40/200 80"},
        {"half", [](TImageView& v) { v.Rotate(1); }, "200 160 120/80 40 0"},
        {"left", [](TImageView& v) { v.Rotate(2); }, "80 200/40 160/0 120"},
        {"flip", [](TImageView& v) { v.Mirror(false); }, "80 40 0/200 160 120"},
        {"flop", [](TImageView& v) { v.Mirror(true); }, "120 160 200/0 40 80"},
        {"none", [](TImageView& v) { v.Rotate(3); }, "0 40 80/120 160 200"},
    };
    for (const auto& c : cases) {
        for (const std::string* bytes : {&bmp, &jpeg}) {
            view.SetData(*bytes);
            const int kind = view.GetKind();
            c.turn(view);
            EXPECT_EQ(view.GetKind(), kind) << c.name;
            EXPECT_EQ(platform::PictureData::KindOf(view.GetData()), PictureKind(kind)) << c.name;
            EXPECT_EQ(Greys(view.GetPicture().GetImage().ToPicture()), c.greys) << c.name << " kind " << kind;
        }
    }
    // What cannot be drawn is not turned and stays as it was.
    const std::string cut = jpeg.substr(0, 40);
    for (const std::string& bytes : {MakeEmf(100, 100), cut}) {
        view.SetData(bytes);
        EXPECT_THROW(view.Rotate(0), platform::ConvertError);
        EXPECT_THROW(view.Mirror(true), platform::ConvertError);
        EXPECT_EQ(view.GetData(), bytes);
    }
    view.SetData({});
    view.Rotate(0);
    EXPECT_EQ(view.GetData(), "");
}

TEST_F(ImageViewTest, SaveForcesTheExtensionOfTheKind)
{
    const struct {
        std::string bytes;
        const char* name;
        const char* forced;
    } cases[] = {
        {bmp, "a/p.jpg", "a/p.bmp"},   {bmp, "a/p.BMP", "a/p.BMP"},   {jpeg, "a/p.jpeg", "a/p.jpeg"},
        {jpeg, "a/p.bmp", "a/p.jpg"},  {jpeg, "a.b/p", "a.b/p.jpg"},  {MakeEmf(10, 10), "p.jpg", "p.emf"},
        {"", "p.jpg", "p.jpg"},
    };
    for (const auto& c : cases) {
        view.SetData(c.bytes);
        EXPECT_EQ(view.ForceExtension(c.name), c.forced);
    }
    const std::string folder = vkttest::NewTempFolder("save");
    view.SetData(bmp);
    std::string name = folder + "/picture.jpg";
    view.SaveToFile(name);
    EXPECT_EQ(name, folder + "/picture.bmp");
    EXPECT_EQ(platform::ReadFileBytes(name), bmp);
    EXPECT_EQ(Messages(), "");
    std::string bad = folder + "/missing/picture.bmp";
    view.SaveToFile(bad);
    EXPECT_EQ(Messages(), "ファイルセーブエラー;");
}

TEST_F(ImageViewTest, LoadTellsTheKindByTheExtension)
{
    const std::string folder = vkttest::NewTempFolder("load");
    platform::WriteFileAtomic(folder + "/a.JPEG", jpeg);
    platform::WriteFileAtomic(folder + "/b.bmp", jpeg);
    platform::WriteFileAtomic(folder + "/c.emf", MakeEmf(254, 254));
    platform::WriteFileAtomic(folder + "/d.png", bmp);
    platform::WriteFileAtomic(folder + "/e.emf", MakeEmf(254, 254).substr(0, 100));
    platform::WriteFileAtomic(folder + "/f.emf", MakeEmf(254, 254).substr(0, 60));
    platform::WriteFileAtomic(folder + "/g.emf", jpeg);
    // Pictures of other formats (ImageMagick's, tests/data/photos) under the names of those read.
    const std::string photos = VKT_PHOTO_DATA_DIR;
    platform::WriteFileAtomic(folder + "/h.jpg", platform::ReadFileBytes(photos + "/other.png"));
    platform::WriteFileAtomic(folder + "/i.jpg", platform::ReadFileBytes(photos + "/other.webp"));
    platform::WriteFileAtomic(folder + "/j.jpeg", platform::ReadFileBytes(photos + "/other.heic"));
    platform::WriteFileAtomic(folder + "/k.bmp", platform::ReadFileBytes(photos + "/other.gif"));
    platform::WriteFileAtomic(folder + "/l.emf", platform::ReadFileBytes(photos + "/other.tif"));
    platform::WriteFileAtomic(folder + "/m.jpg", "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n1 0 obj\n");
    const struct {
        const char* file;
        int kind;
        const char* messages;
    } cases[] = {
        {"a.JPEG", 3, ""},
        {"b.bmp", 0, "ファイルリードエラー;"},
        {"c.emf", 2, ""},
        {"d.png", 0, "データ形式が無効です。;"},
        {"none.jpg", 0, "ファイルリードエラー;"},
        // Kept, and said why it shows nothing, as when pasted: records or even the header damaged.
        {"e.emf", 2, "このメタファイルは表示できません。\nメタファイルのレコードが壊れているか、読み取れません。\n"
                     "図のデータはそのまま残ります。(!);"},
        {"f.emf", 2, "このメタファイルは表示できません。\nメタファイルの先頭が読み取れません。\n"
                     "図のデータはそのまま残ります。(!);"},
        {"g.emf", 0, "ファイルリードエラー;"},
        {"h.jpg", 0, "PNG 形式の画像は読み込めません。BMP、JPEG、EMF の画像を使ってください。;"},
        {"i.jpg", 0, "WebP 形式の画像は読み込めません。BMP、JPEG、EMF の画像を使ってください。;"},
        {"j.jpeg", 0, "HEIC 形式の画像は読み込めません。BMP、JPEG、EMF の画像を使ってください。;"},
        {"k.bmp", 0, "GIF 形式の画像は読み込めません。BMP、JPEG、EMF の画像を使ってください。;"},
        {"l.emf", 0, "TIFF 形式の画像は読み込めません。BMP、JPEG、EMF の画像を使ってください。;"},
        {"m.jpg", 0, "PDF 形式の画像は読み込めません。BMP、JPEG、EMF の画像を使ってください。;"},
    };
    view.show();
    for (const auto& c : cases) {
        vkttest::Scripted().Reset();
        view.SetData(bmp);
        view.LoadFromFile(folder + "/" + c.file);
        EXPECT_EQ(view.GetKind(), c.kind) << c.file;
        EXPECT_EQ(view.GetData(), c.kind ? platform::ReadFileBytes(folder + "/" + c.file) : "") << c.file;
        // A metafile is said once its player has ended.
        ASSERT_TRUE(vkttest::WaitForPlayers());
        EXPECT_EQ(Messages(), c.messages) << c.file;
    }
}

// A picture that cannot be drawn is said while its view shows it: not once the view is hidden,
// gone or shows another picture, over whatever is shown next.
TEST_F(ImageViewTest, ARefusalIsSaidOnlyWhileItsViewShowsThePicture)
{
    const std::string folder = vkttest::NewTempFolder("refused");
    const std::function<void(std::unique_ptr<TImageView>&)> thens[] = {
        [](auto&) {}, [&](auto& v) { v->SetData(bmp); }, [](auto& v) { v->hide(); }, [](auto& v) { v.reset(); }};
    for (int i = 0; i < 4; ++i) {
        vkttest::Scripted().Reset();
        // Bytes no player has refused yet: said, if at all, when their play ends.
        const std::string file = folder + "/" + std::to_string(i) + ".emf";
        platform::WriteFileAtomic(file, MakeEmf(254 + i, 254).substr(0, 100));
        auto first = std::make_unique<TImageView>();
        first->show();
        first->LoadFromFile(file);
        thens[i](first);
        TImageView next;
        next.show();
        ASSERT_TRUE(vkttest::WaitForPlayers());
        EXPECT_EQ(vkttest::Scripted().messages.size(), i == 0 ? 1u : 0u) << i;
    }
}

TEST_F(ImageViewTest, ClipboardKeys)
{
    TImageView target;
    target.show();
    view.SetData(bmp);
    platform::Clipboard::SetText("before");
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(platform::Clipboard::GetText(), "before");
    EXPECT_FALSE(platform::Clipboard::GetImage().has_value());

    QTest::keyClick(&view, Qt::Key_X, Qt::ControlModifier);
    EXPECT_FALSE(view.HasPicture());
    const auto image = platform::Clipboard::GetImage();
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->GetWidth(), 3);
    QTest::keyClick(&target, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(target.GetKind(), 1);
    EXPECT_EQ(Greys(target.GetPicture().GetImage().ToPicture()), "0 40 80/120 160 200");

    for (const std::string& emf : {MakeEmf(500, 500), MakeEmf(500, 500).substr(0, 100)}) {
        vkttest::Scripted().Reset();
        view.SetData(emf);
        QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
        EXPECT_TRUE(view.HasPicture());
        QTest::keyClick(&target, Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(target.GetKind(), 2);
        EXPECT_EQ(target.GetData(), emf);
        // A pasted picture that cannot be drawn is kept, and said.
        ASSERT_TRUE(vkttest::WaitForPlayers());
        EXPECT_EQ(vkttest::Scripted().messages.size(), emf.size() == 100 ? 1u : 0u);
    }
}

TEST_F(ImageViewTest, BitmapBytesOfEveryKind)
{
    view.SetData(jpeg);
    EXPECT_EQ(Greys(platform::DecodeBmp(view.GetBMPData())), "0 40 80/120 160 200");
    view.SetData(vkttest::EmfBuilder(20, 10).Rectangle(4, 2, 16, 8, 0x00FF00).Bytes());
    const platform::Picture drawn = platform::DecodeBmp(view.GetBMPData());
    EXPECT_EQ(drawn.GetWidth(), 20);
    EXPECT_EQ(drawn.GetPixel(10, 5), RgbColor(0, 255, 0));
    EXPECT_EQ(drawn.GetPixel(1, 1), RgbColor(255, 255, 255));
    view.SetData(MakeEmf(254, 127).substr(0, 100));   // 9 × 4 pixels, records cut: drawn as a frame
    const platform::Picture frame = platform::DecodeBmp(view.GetBMPData());
    EXPECT_EQ(frame.GetWidth(), 9);
    EXPECT_EQ(frame.GetPixel(0, 0), RgbColor(0, 0, 0));
    EXPECT_EQ(frame.GetPixel(4, 2), RgbColor(255, 255, 255));
    view.SetBMPData(jpeg);
    EXPECT_FALSE(view.HasPicture());
    view.SetBMPData(bmp);
    EXPECT_EQ(view.GetKind(), 1);
}

} // namespace
