// The canvas scene drawn at screen resolution, shown as a picture.
#include "gui/BitmapCanvas.h"
#include "gui/Image.h"
#include "support/CanvasScene.h"
#include "support/Snapshot.h"

#include <QImage>
#include <QLabel>
#include <QPixmap>

VKT_SNAPSHOT(canvas_scene)
{
    const vkttest::CanvasScene scene(96);
    platform::BitmapCanvas canvas(scene.Size.Right, scene.Size.Bottom, 96);
    scene.Draw(canvas);
    auto* label = new QLabel;
    label->setPixmap(QPixmap::fromImage(canvas.GetImage().Q()));
    label->resize(label->sizeHint());
    return label;
}
