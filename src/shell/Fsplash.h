#pragma once
// TSplash: one borderless 480 × 360 window, centred on the screen, used twice: as the splash
// picture while the program starts (mode 0: the picture alone, a click does nothing) and as the
// About box (mode 1: a framed text over the picture; a click on the picture closes it).
#include <QDialog>

class QFrame;
class QLabel;
class QPixmap;
class QPlainTextEdit;

class TSplash : public QDialog {
    Q_OBJECT
public:
    // Mode 0; the text's first line is the product name and the file version.
    explicit TSplash(QWidget* parent = nullptr);

    int GetMode() const { return mode_; }
    // The frame and the text are visible exactly when the mode is not 0.
    void SetMode(int mode);
    // Shows a copy of the picture.
    void SetImage(const QPixmap& picture);

    // The compiled-in pictures: the start-up picture and the one behind the About text.
    static QPixmap StartPicture();
    // Starts decoding the start-up picture on a worker thread; the next StartPicture() takes it.
    static void PrefetchStartPicture();
    static QPixmap AboutPicture();

    QLabel* GetImage() const { return image_; }
    QFrame* GetShape() const { return shape_; }
    QPlainTextEdit* GetMemo() const { return memo_; }

private:
    void ImageClick();

    QLabel* image_ = nullptr;
    QFrame* shape_ = nullptr;
    QPlainTextEdit* memo_ = nullptr;
    int mode_ = 0;
};
