#include "support/CanvasScene.h"

#include "gui/Image.h"
#include "gui/PageRecording.h"
#include "gui/Region.h"
#include "platform/Bitmap.h"

namespace vkttest {

using namespace platform;

CanvasScene::CanvasScene(int sceneDpi) : dpi(sceneDpi)
{
    Size = Scaled(0, 0, 320, 200);
    Filled = Scaled(10, 10, 60, 40);
    Framed = Scaled(70, 10, 120, 40);
    Rounded = Scaled(130, 10, 200, 50);
    Masked = Scaled(210, 10, 310, 70);
    Upright = {Scale(10), Scale(60)};
    Turned = {Scale(200), Scale(80)};
    Mirrored = Scaled(10, 150, 50, 170);
    Replayed = Scaled(70, 100, 170, 160);
    Font.Face = "ＭＳ Ｐゴシック";
    Font.Height = -Scale(16);
}

Rect CanvasScene::Scaled(int left, int top, int right, int bottom) const
{
    return Rect{Scale(left), Scale(top), Scale(right), Scale(bottom)};
}

void CanvasScene::Draw(Canvas& canvas) const
{
    canvas.FillRect(Size, 0xFFFFFF);
    canvas.FillRect(Filled, kSceneBlue);
    canvas.SetPen(Pen{0x000000, 0, PenStyle::Solid});
    canvas.SetBrush(Brush{0x00FFFF, false});
    canvas.Rectangle(Framed);
    canvas.SetBrush(Brush{0x00A000, false});
    canvas.RoundRect(Rounded, Scale(24), Scale(24));
    {
        CanvasState state(canvas);
        const Region ellipse = Region::FromEllipse(Masked);
        canvas.SelectClip(&ellipse);
        canvas.FillRect(Masked, kSceneRed);
    }

    canvas.SetBrush(Brush{0, true});
    canvas.SetTextColor(0x000000);
    canvas.SetFont(Font);
    canvas.TextOut(Upright.X, Upright.Y, "献立表 Menu");
    FontSpec turned = Font;
    turned.Escapement = 2700;
    canvas.SetFont(turned);
    canvas.TextOut(Turned.X, Turned.Y, "縦書きの原価");
    canvas.SetFont(Font);

    Picture picture(20, 10, kSceneRed);
    for (int y = 0; y < 10; ++y)
        for (int x = 10; x < 20; ++x) picture.SetPixel(x, y, kSceneBlue);
    canvas.DrawImage(Mirrored, Image(picture), Rect{0, 0, 20, 10}, true, false);

    PageRecorder recorder(100, 60, 96);
    Canvas& recording = recorder.GetCanvas();
    recording.FrameRect(Rect{0, 0, 100, 60}, kSceneMagenta);
    recording.SetBrush(Brush{0, true});
    FontSpec small = Font;
    small.Height = -16;
    recording.SetFont(small);
    recording.TextOut(10, 20, "原価");
    canvas.DrawMetafile(Replayed, recorder.Finish());
}

} // namespace vkttest
