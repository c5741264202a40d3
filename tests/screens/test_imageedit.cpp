// The picture panel's edit cycle: files in and out byte-equal, the net turn and mirror flags,
// Esc after a paste, leaving with and without a change, and the busy cursor around failures.
#include <gtest/gtest.h>

#include "platform/Bitmap.h"
#include "platform/Files.h"
#include "platform/JpegWriter.h"
#include "screens/Fimageeditpanel.h"
#include "support/ScriptedServices.h"
#include "support/TestPictures.h"
#include "widgets/Imageview.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <QVBoxLayout>

#include <string>
#include <vector>

namespace {

platform::Picture Stripes(int width, int height)
{
    platform::Picture picture(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) picture.SetPixel(x, y, platform::RgbColor(x * 60, y * 60, 128));
    return picture;
}

class ImagePanel : public testing::Test {
protected:
    void SetUp() override
    {
        vkttest::Scripted().Reset();
        auto* layout = new QVBoxLayout(&window);
        panel = new TImageEditPanel(&window);
        other = new QLineEdit(&window);
        layout->addWidget(panel);
        layout->addWidget(other);
        panel->OnApply = [this](QObject*) { applied.push_back(panel->GetImage()); };
        window.resize(240, 200);
        window.show();
        QApplication::setActiveWindow(&window);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    std::string Flags() const
    {
        return std::string(panel->GetRotatedRight() ? "R" : "") + (panel->GetRotatedLeft() ? "L" : "") +
               (panel->GetHorzMirrored() ? "H" : "") + (panel->GetVertMirrored() ? "V" : "");
    }
    void Leave() { other->setFocus(Qt::TabFocusReason); }

    QWidget window;
    TImageEditPanel* panel = nullptr;
    QLineEdit* other = nullptr;
    std::vector<std::string> applied;
    const std::string bmp = platform::EncodeBmp(Stripes(4, 3));
    const std::string jpeg = platform::EncodeJpeg(Stripes(4, 3));
};

TEST_F(ImagePanel, FilesLoadApplyAndReadBackByteEqual)
{
    const std::string folder = vkttest::NewTempFolder();
    for (const auto& [name, bytes] : {std::pair{"/a.jpg", jpeg}, {"/b.bmp", bmp}}) {
        applied.clear();
        panel->SetImage({});
        platform::WriteFileAtomic(folder + name, bytes);
        panel->LoadFromFile(folder + name);
        EXPECT_TRUE(panel->GetDataChanged()) << name;
        Leave();
        ASSERT_EQ(applied.size(), 1u) << name;
        EXPECT_EQ(applied[0], bytes) << name;
        EXPECT_FALSE(panel->IsModified());
        std::string out = folder + "/out_" + (name + 1);
        panel->SaveToFile(out);
        EXPECT_EQ(platform::ReadFileBytes(out), bytes) << name;
    }
    EXPECT_EQ(vkttest::Scripted().busyDepth, 0);
}

TEST_F(ImagePanel, AMetafileShowsItsDrawingAndGoesBackByteEqual)
{
    const std::string folder = vkttest::NewTempFolder();
    const std::string emf = vkttest::KitchenEmf();
    platform::WriteFileAtomic(folder + "/plate.emf", emf);
    panel->LoadFromFile(folder + "/plate.emf");
    Leave();
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0], emf);
    auto* view = panel->findChild<TImageView*>();
    ASSERT_NE(view, nullptr);
    ASSERT_TRUE(vkttest::WaitForPlayers());
    const QImage shown = view->viewport()->grab().toImage();
    int red = 0, blue = 0;
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x) {
            const QRgb p = shown.pixel(x, y);
            red += qRed(p) > 180 && qGreen(p) < 80 && qBlue(p) < 80;
            blue += qBlue(p) > 150 && qRed(p) < 80 && qGreen(p) < 100;
        }
    EXPECT_GT(red, 100) << "the rectangle is drawn";
    EXPECT_GT(blue, 100) << "the ellipse is drawn";
    std::string out = folder + "/out.emf";
    panel->SaveToFile(out);
    EXPECT_EQ(platform::ReadFileBytes(out), emf);
}

TEST_F(ImagePanel, TurnsAndMirrorsTrackTheNetOrientation)
{
    struct Case { const char* steps; const char* flags; };
    const Case cases[] = {
        {"RL", ""}, {"LR", ""}, {"R", "R"}, {"RR", "HV"}, {"LL", "HV"},
        {"H", "H"}, {"RH", "RV"}, {"LV", "LH"}, {"HH", ""}, {"RRR", "RHV"},
    };
    for (const Case& c : cases) {
        panel->SetImage(bmp);
        for (const char* s = c.steps; *s; ++s) {
            switch (*s) {
            case 'R': panel->RotateRight(); break;
            case 'L': panel->RotateLeft(); break;
            case 'H': panel->MirrorHorz(); break;
            case 'V': panel->MirrorVert(); break;
            }
        }
        EXPECT_EQ(Flags(), c.flags) << c.steps;
    }
    // A right then a left turn gives the picture back: nothing to apply on leaving.
    panel->SetImage(bmp);
    panel->RotateRight();
    panel->RotateLeft();
    EXPECT_FALSE(panel->IsModified());
    Leave();
    EXPECT_TRUE(applied.empty());
}

TEST_F(ImagePanel, EscAfterPasteRestoresAndLeavingUnchangedWritesNothing)
{
    panel->SetImage(bmp);
    panel->GetImageView()->setFocus(Qt::TabFocusReason);
    QImage other(5, 5, QImage::Format_RGB32);
    other.fill(Qt::red);
    QApplication::clipboard()->setImage(other);
    panel->PasteFromClipboard();
    EXPECT_TRUE(panel->GetDataChanged());
    EXPECT_NE(panel->GetImage(), bmp);
    QTest::keyClick(panel->GetImageView(), Qt::Key_Escape);
    EXPECT_EQ(panel->GetImage(), bmp);
    EXPECT_EQ(Flags(), "");
    EXPECT_FALSE(panel->IsModified());
    Leave();
    EXPECT_TRUE(applied.empty());

    // Ctrl+Enter applies a pending turn at once.
    panel->RotateRight();
    QTest::keyClick(panel->GetImageView(), Qt::Key_Return, Qt::ControlModifier);
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_NE(applied[0], bmp);
    Leave();
    EXPECT_EQ(applied.size(), 1u);
}

TEST_F(ImagePanel, AFailedLoadLeavesNoBusyCursorAndNoChange)
{
    panel->SetImage(jpeg);
    panel->LoadFromFile(vkttest::NewTempFolder() + "/missing.jpg");
    EXPECT_EQ(vkttest::Scripted().busyDepth, 0);
    EXPECT_FALSE(vkttest::Scripted().messages.empty());
    EXPECT_EQ(panel->GetImage(), jpeg);
    Leave();
    EXPECT_TRUE(applied.empty());
}

} // namespace
