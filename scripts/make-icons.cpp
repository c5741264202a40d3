// Draws the program's 16 × 16 icon lists into resources/icons/<list>/NN.png with a manifest
// "NN meaning" per list, and the program's own icon at each size into resources/icons/app/. Run
// by scripts/make-icons; the PNGs are committed.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <cmath>
#include <functional>
#include <map>

namespace {

using Draw = std::function<void(QPainter&)>;

struct Icon {
    int index;
    const char* meaning;
    Draw draw;
};

const QColor kInk(40, 40, 40);
const QColor kPaper(255, 255, 255);
const QColor kBlue(40, 90, 190);
const QColor kGreen(30, 150, 50);
const QColor kRed(200, 40, 40);
const QColor kYellow(240, 200, 60);
const QColor kGrey(150, 150, 150);

QPen Pen(const QColor& color, double width = 1.0)
{
    QPen pen(color, width);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

// A database drum in the left part of the icon.
void Drum(QPainter& p, const QColor& body = QColor(120, 160, 220))
{
    p.setPen(Pen(kBlue.darker(130)));
    p.setBrush(body);
    QPainterPath path;
    path.moveTo(1.5, 3.5);
    path.lineTo(1.5, 12.5);
    path.arcTo(QRectF(1.5, 10.5, 9, 4), 180, 180);
    path.lineTo(10.5, 3.5);
    path.closeSubpath();
    p.drawPath(path);
    p.setBrush(body.lighter(130));
    p.drawEllipse(QRectF(1.5, 1.5, 9, 4));
}

void Plus(QPainter& p, double x, double y, const QColor& color = kGreen)
{
    p.setPen(Pen(color.darker(140)));
    p.setBrush(color);
    QPainterPath path;
    path.addRect(x + 2, y, 2, 6);
    path.addRect(x, y + 2, 6, 2);
    p.drawPath(path.simplified());
}

void Cross(QPainter& p, const QRectF& r, double width = 2.2)
{
    p.setPen(Pen(kRed, width));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

// A rectangle whose top right corner is cut off.
QPainterPath CutCorner(const QRectF& r, double cut)
{
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - cut, r.top());
    path.lineTo(r.right(), r.top() + cut);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    return path;
}

void Page(QPainter& p, const QRectF& r = QRectF(2.5, 1.5, 10, 13))
{
    p.setPen(Pen(kInk));
    p.setBrush(kPaper);
    p.drawPath(CutCorner(r, 3));
    p.drawLine(QPointF(r.right() - 3, r.top()), QPointF(r.right() - 3, r.top() + 3));
    p.drawLine(QPointF(r.right() - 3, r.top() + 3), QPointF(r.right(), r.top() + 3));
}

void TextLines(QPainter& p, double left, double top, int count, double width)
{
    p.setPen(Pen(kGrey));
    for (int i = 0; i < count; ++i) p.drawLine(QPointF(left, top + 2 * i), QPointF(left + width, top + 2 * i));
}

void Folder(QPainter& p, bool open)
{
    p.setPen(Pen(QColor(150, 110, 20)));
    p.setBrush(kYellow.darker(110));
    p.drawRect(QRectF(1.5, 4.5, 12, 9));
    p.drawRect(QRectF(1.5, 3.0, 5, 1.5));
    p.setBrush(kYellow);
    if (open) {
        QPolygonF flap{{3.5, 7.5}, {15.0, 7.5}, {13.5, 13.5}, {1.5, 13.5}};
        p.drawPolygon(flap);
    }
}

void Clipboard(QPainter& p)
{
    p.setPen(Pen(QColor(120, 80, 30)));
    p.setBrush(QColor(200, 150, 80));
    p.drawRoundedRect(QRectF(2.5, 2.5, 10, 12.5), 1, 1);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 4.5, 7, 9));
    p.setBrush(kGrey);
    p.drawRect(QRectF(5.5, 1.5, 4, 2));
    p.setPen(Pen(kGreen, 1.2));
    for (int i = 0; i < 3; ++i) {
        p.drawLine(QPointF(5, 6.5 + 2.5 * i), QPointF(5.8, 7.3 + 2.5 * i));
        p.drawLine(QPointF(5.8, 7.3 + 2.5 * i), QPointF(7, 5.8 + 2.5 * i));
    }
    p.setPen(Pen(kGrey));
    for (int i = 0; i < 3; ++i) p.drawLine(QPointF(8, 6.8 + 2.5 * i), QPointF(10, 6.8 + 2.5 * i));
}

void Printer(QPainter& p)
{
    p.setPen(Pen(kInk));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(190, 190, 190));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1, 1);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));
    p.setPen(Pen(kGreen));
    p.drawPoint(QPointF(12.5, 8.5));
}

void Pencil(QPainter& p, double dx = 0, double dy = 0)
{
    p.save();
    p.translate(dx, dy);
    p.setPen(Pen(kInk));
    p.setBrush(kYellow);
    QPolygonF body{{12.5, 1.5}, {14.5, 3.5}, {5.5, 12.5}, {3.5, 10.5}};
    p.drawPolygon(body);
    p.setBrush(QColor(240, 210, 170));
    QPolygonF tip{{3.5, 10.5}, {5.5, 12.5}, {2.0, 14.0}};
    p.drawPolygon(tip);
    p.restore();
}

void Magnifier(QPainter& p, double x, double y)
{
    p.setPen(Pen(kInk, 1.2));
    p.setBrush(QColor(200, 230, 255, 220));
    p.drawEllipse(QRectF(x, y, 6, 6));
    p.setPen(Pen(kInk, 2.2));
    p.drawLine(QPointF(x + 5.5, y + 5.5), QPointF(x + 8, y + 8));
}

void Arrow(QPainter& p, const QPointF& from, const QPointF& to, const QColor& color)
{
    p.setPen(Pen(color, 1.6));
    p.drawLine(from, to);
    const QPointF d = (to - from) / std::hypot(to.x() - from.x(), to.y() - from.y());
    const QPointF n(-d.y(), d.x());
    p.setBrush(color);
    p.setPen(Pen(color));
    p.drawPolygon(QPolygonF{to + d * 1.5, to - d * 2.5 + n * 2.5, to - d * 2.5 - n * 2.5});
}

void CheckBox(QPainter& p, const QColor& frame, const QColor& fill)
{
    p.setPen(Pen(frame));
    p.setBrush(fill);
    p.drawRect(QRectF(2.5, 2.5, 11, 11));
}

// A framed landscape: sky, sun and a green hill.
void Picture(QPainter& p, const QRectF& r = QRectF(1.5, 2.5, 13, 11))
{
    p.setPen(Pen(kInk));
    p.setBrush(QColor(170, 210, 250));
    p.drawRect(r);
    p.setPen(Qt::NoPen);
    p.setBrush(kYellow);
    p.drawEllipse(QRectF(r.right() - 4.5, r.top() + 1.5, 3, 3));
    p.setBrush(kGreen);
    QPainterPath hill;
    hill.moveTo(r.left() + 0.5, r.bottom() - 0.5);
    hill.lineTo(r.left() + 0.5, r.bottom() - 3);
    hill.quadTo(r.left() + r.width() * 0.35, r.top() + r.height() * 0.2, r.left() + r.width() * 0.65, r.bottom() - 3);
    hill.lineTo(r.right() - 0.5, r.bottom() - 4);
    hill.lineTo(r.right() - 0.5, r.bottom() - 0.5);
    hill.closeSubpath();
    p.drawPath(hill);
}

void Floppy(QPainter& p, const QRectF& r)
{
    p.setPen(Pen(kInk));
    p.setBrush(kBlue);
    p.drawPath(CutCorner(r, 2));
    p.setBrush(kPaper);
    p.drawRect(QRectF(r.left() + 2, r.top(), r.width() - 5, r.height() * 0.4));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(r.left() + 2.5, r.bottom() - r.height() * 0.35, r.width() - 5, r.height() * 0.35));
}

void Scissors(QPainter& p)
{
    p.setPen(Pen(QColor(120, 120, 130), 1.4));
    p.drawLine(QPointF(4.5, 1.5), QPointF(10, 10));
    p.drawLine(QPointF(11.5, 1.5), QPointF(6, 10));
    p.setPen(Pen(kRed.darker(120), 1.3));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(2, 9.5, 4.5, 4.5));
    p.drawEllipse(QRectF(9.5, 9.5, 4.5, 4.5));
}

// A circular arrow a quarter turn and more, clockwise or not, around the icon's centre.
void TurnArrow(QPainter& p, bool clockwise)
{
    const QRectF ring(3, 3, 10, 10);
    const double start = clockwise ? 160 : 20;     // degrees, counter-clockwise from 3 o'clock
    const double span = clockwise ? -250 : 250;
    p.setPen(Pen(kBlue, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawArc(ring, static_cast<int>(start * 16), static_cast<int>(span * 16));
    const double end = (start + span) * M_PI / 180;
    const QPointF tip(8 + 5 * std::cos(end), 8 - 5 * std::sin(end));
    // The tangent in the drawing direction.
    const double sign = clockwise ? -1 : 1;
    const QPointF d(-std::sin(end) * sign, -std::cos(end) * sign);
    const QPointF n(-d.y(), d.x());
    p.setPen(Pen(kBlue));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF{tip + d * 2.5, tip - d * 1.5 + n * 3, tip - d * 1.5 - n * 3});
}

// Two mirrored triangles across a dotted axis, side by side or one above the other.
void Mirror(QPainter& p, bool horizontal)
{
    p.save();
    if (!horizontal) {
        p.translate(16, 0);
        p.rotate(90);
    }
    p.setPen(QPen(kGrey, 1, Qt::DotLine));
    p.drawLine(QPointF(8, 0.5), QPointF(8, 15.5));
    p.setPen(Pen(kBlue.darker(130)));
    p.setBrush(kBlue);
    p.drawPolygon(QPolygonF{{6.5, 3.5}, {6.5, 12.5}, {1.5, 12.5}});
    p.setBrush(kPaper);
    p.drawPolygon(QPolygonF{{9.5, 3.5}, {9.5, 12.5}, {14.5, 12.5}});
    p.restore();
}

// Rows of a list with their numbers on the left.
void NumberedRows(QPainter& p, const char* numbers)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(6);
    font.setBold(true);
    p.setFont(font);
    for (int i = 0; numbers[i]; ++i) {
        const double y = 1 + 5 * i;
        p.setPen(kBlue);
        p.drawText(QRectF(0.5, y, 5, 5), Qt::AlignCenter, QString(QChar::fromLatin1(numbers[i])));
        p.setPen(Pen(kGrey));
        p.drawLine(QPointF(6.5, y + 2.5), QPointF(10.5, y + 2.5));
    }
}

std::vector<Icon> Commands()
{
    return {
        {0, "新規データベース作成", [](QPainter& p) { Drum(p); Plus(p, 9, 9, kYellow.darker(115)); }},
        {1, "イメージ読み込み",
         [](QPainter& p) {
             Picture(p, QRectF(4.5, 4.5, 10.5, 10));
             Arrow(p, QPointF(1.5, 1.5), QPointF(7, 7), kGreen);
         }},
        {2, "イメージ書き出し",
         [](QPainter& p) {
             Picture(p, QRectF(0.5, 0.5, 10, 9));
             Floppy(p, QRectF(7.5, 7.5, 8, 8));
         }},
        {3, "プリントアウト", [](QPainter& p) { Printer(p); }},
        {4, "切り取り", [](QPainter& p) { Scissors(p); }},
        {5, "コピー",
         [](QPainter& p) {
             Page(p, QRectF(1.5, 0.5, 8, 10));
             TextLines(p, 3, 4.5, 3, 4);
             Page(p, QRectF(6.5, 5.5, 8, 10));
             TextLines(p, 8, 9.5, 3, 4);
         }},
        {6, "貼り付け",
         [](QPainter& p) {
             p.setPen(Pen(QColor(120, 80, 30)));
             p.setBrush(QColor(200, 150, 80));
             p.drawRoundedRect(QRectF(1.5, 2.5, 9, 11), 1, 1);
             p.setBrush(kGrey);
             p.drawRect(QRectF(4, 1.5, 4, 2));
             Page(p, QRectF(6.5, 5.5, 8, 10));
             TextLines(p, 8, 9.5, 3, 4);
         }},
        {7, "新規データ作成", [](QPainter& p) { Page(p); TextLines(p, 4.5, 6.5, 3, 5); Plus(p, 9, 9); }},
        {8, "削除", [](QPainter& p) { Page(p); TextLines(p, 4.5, 4.5, 4, 5); Cross(p, QRectF(7.5, 7.5, 6, 6)); }},
        {11, "データ復帰",
         [](QPainter& p) {
             p.setPen(Pen(kInk));
             p.setBrush(QColor(200, 200, 200));
             p.drawRect(QRectF(3.5, 7.5, 9, 7));
             p.drawLine(QPointF(2.5, 7.5), QPointF(13.5, 7.5));
             Arrow(p, QPointF(8, 12), QPointF(8, 2.5), kGreen);
         }},
        {13, "上に移動", [](QPainter& p) { Arrow(p, QPointF(8, 14), QPointF(8, 3), kBlue); }},
        {14, "下に移動", [](QPainter& p) { Arrow(p, QPointF(8, 2), QPointF(8, 13), kBlue); }},
        {25, "データベースを開く", [](QPainter& p) { Folder(p, true); }},
        {26, "データベースを閉じる", [](QPainter& p) { Drum(p); Cross(p, QRectF(9.5, 9.5, 5, 5), 2.0); }},
        {27, "データベース登録", [](QPainter& p) { Drum(p); Plus(p, 9, 9); }},
        {28, "材料追加",
         [](QPainter& p) {
             p.setPen(Pen(kInk));
             p.setBrush(kPaper);
             p.drawRect(QRectF(1.5, 1.5, 10, 12));
             for (int i = 0; i < 4; ++i) {
                 p.setPen(Pen(kBlue));
                 p.drawPoint(QPointF(3.5, 4 + 2.5 * i));
                 p.setPen(Pen(kGrey));
                 p.drawLine(QPointF(5, 4 + 2.5 * i), QPointF(9.5, 4 + 2.5 * i));
             }
             Plus(p, 9.5, 9.5);
         }},
        {29, "棚卸し表示", [](QPainter& p) { Clipboard(p); }},
        {30, "分類変更",
         [](QPainter& p) {
             Folder(p, false);
             Arrow(p, QPointF(4, 9), QPointF(13, 9), kBlue);
         }},
        {31, "クラスツリー表示",
         [](QPainter& p) {
             p.setPen(Pen(kGrey));
             p.drawLine(QPointF(3.5, 4), QPointF(3.5, 12.5));
             p.drawLine(QPointF(3.5, 8.5), QPointF(7, 8.5));
             p.drawLine(QPointF(3.5, 12.5), QPointF(7, 12.5));
             p.setPen(Pen(QColor(150, 110, 20)));
             p.setBrush(kYellow);
             p.drawRect(QRectF(1.5, 1.5, 5, 3.5));
             p.drawRect(QRectF(7.5, 6.5, 5, 3.5));
             p.drawRect(QRectF(7.5, 10.5, 5, 3.5));
         }},
        {32, "クラスバー表示",
         [](QPainter& p) {
             p.setPen(Pen(kInk));
             p.setBrush(QColor(210, 210, 210));
             p.drawRect(QRectF(1.5, 1.5, 6, 13));
             p.setBrush(kPaper);
             p.drawRect(QRectF(7.5, 1.5, 7, 13));
             const QColor colours[] = {kRed, kGreen, kBlue};
             for (int i = 0; i < 3; ++i) {
                 p.setPen(Pen(colours[i].darker(130)));
                 p.setBrush(colours[i]);
                 p.drawRect(QRectF(3, 3 + 4 * i, 3, 2.5));
             }
         }},
        {33, "印刷プレビュー", [](QPainter& p) { Page(p); TextLines(p, 4.5, 4.5, 3, 5); Magnifier(p, 6.5, 6.5); }},
        {34, "印刷可能範囲の表示",
         [](QPainter& p) {
             Page(p, QRectF(1.5, 0.5, 12, 15));
             QPen dash(kBlue, 1, Qt::DotLine);
             p.setPen(dash);
             p.setBrush(Qt::NoBrush);
             p.drawRect(QRectF(3.5, 3.5, 8, 10));
         }},
        {35, "データ編集", [](QPainter& p) { Pencil(p); }},
        {38, "左９０度回転", [](QPainter& p) { TurnArrow(p, false); }},
        {39, "右９０度回転", [](QPainter& p) { TurnArrow(p, true); }},
        {40, "水平反転", [](QPainter& p) { Mirror(p, true); }},
        {41, "垂直反転", [](QPainter& p) { Mirror(p, false); }},
        {42, "インデックス変更",
         [](QPainter& p) {
             NumberedRows(p, "123");
             Pencil(p, 2, 1.5);
         }},
        {43, "インデックス初期化",
         [](QPainter& p) {
             NumberedRows(p, "123");
             Arrow(p, QPointF(13, 13.5), QPointF(13, 3), kGreen);
         }},
        {44, "現在の価格に変更",
         [](QPainter& p) {
             p.setPen(Pen(QColor(150, 110, 20)));
             p.setBrush(kYellow);
             p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
             p.setPen(Pen(QColor(130, 90, 10), 1.3));
             p.drawLine(QPointF(5, 4), QPointF(8, 8));
             p.drawLine(QPointF(11, 4), QPointF(8, 8));
             p.drawLine(QPointF(8, 8), QPointF(8, 12.5));
             p.drawLine(QPointF(5.5, 8.5), QPointF(10.5, 8.5));
             p.drawLine(QPointF(5.5, 10.5), QPointF(10.5, 10.5));
         }},
        {50, "属性変更",
         [](QPainter& p) {
             p.setPen(Pen(kInk));
             p.setBrush(kPaper);
             p.drawRect(QRectF(1.5, 1.5, 9, 9));
             p.setPen(Pen(kGreen, 1.8));
             p.drawLine(QPointF(3.5, 6), QPointF(5.5, 8.5));
             p.drawLine(QPointF(5.5, 8.5), QPointF(9, 3.5));
             Pencil(p, 1.5, 1.5);
         }},
        {51, "棚卸し表に追加", [](QPainter& p) { Clipboard(p); Plus(p, 9.5, 9.5); }},
    };
}

std::vector<Icon> Filters()
{
    return {
        {0, "フィルター",
         [](QPainter& p) {
             p.setPen(Pen(kBlue.darker(130)));
             p.setBrush(QColor(120, 160, 220));
             p.drawPolygon(QPolygonF{{1.5, 2.5}, {14.5, 2.5}, {9.5, 8.5}, {9.5, 13.5}, {6.5, 14.5}, {6.5, 8.5}});
         }},
        {1, "チェックなし",
         [](QPainter& p) {
             CheckBox(p, kInk, kPaper);
             Cross(p, QRectF(5, 5, 6, 6), 1.6);
         }},
        {2, "チェックあり",
         [](QPainter& p) {
             CheckBox(p, kInk, kPaper);
             p.setPen(Pen(kGreen, 2.0));
             p.drawLine(QPointF(4.5, 8), QPointF(7, 11));
             p.drawLine(QPointF(7, 11), QPointF(11.5, 4.5));
         }},
        {3, "無効",
         [](QPainter& p) {
             QPen dash(kGrey, 1, Qt::DotLine);
             p.setPen(dash);
             p.setBrush(QColor(235, 235, 235));
             p.drawRect(QRectF(2.5, 2.5, 11, 11));
         }},
    };
}

bool WriteList(const QString& root, const QString& name, const std::vector<Icon>& icons)
{
    QDir folder(root + "/" + name);
    if (!folder.mkpath(".")) return false;
    QFile manifest(folder.filePath("manifest.txt"));
    if (!manifest.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
    QTextStream out(&manifest);
    out.setEncoding(QStringConverter::Utf8);
    out << "# index meaning; the pictures are NN.png beside this file\n";
    for (const Icon& icon : icons) {
        QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        icon.draw(painter);
        painter.end();
        const QString file = QString("%1.png").arg(icon.index, 2, 10, QLatin1Char('0'));
        if (!image.save(folder.filePath(file))) return false;
        out << QString("%1").arg(icon.index, 2, 10, QLatin1Char('0')) << ' ' << QString::fromUtf8(icon.meaning)
            << '\n';
    }
    return true;
}

// The program's own icon, drawn at each size of the desktop's icon theme from one description: a
// rounded square in the start picture's colours with a cream "V". Up to 24 px the shapes lie on a
// 16-unit grid whose edges fall on whole pixels; from 48 px the start picture's ring is added.
QImage AppIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    const bool small = size <= 24;
    const double unit = small ? size / 16.0 : size / 256.0;
    p.scale(unit, unit);

    QLinearGradient ground(0, 0, 0, small ? 16 : 256);
    ground.setColorAt(0, QColor(0x7a, 0x26, 0x18));
    ground.setColorAt(1, QColor(0xd2, 0x64, 0x2c));
    const QColor cream(0xfb, 0xef, 0xdc);
    p.setPen(Qt::NoPen);
    p.setBrush(ground);
    if (small) {
        p.drawRoundedRect(QRectF(0, 0, 16, 16), 3, 3);
    } else {
        p.drawRoundedRect(QRectF(8, 8, 240, 240), 44, 44);
        if (size >= 48) {
            p.setBrush(Qt::NoBrush);
            QColor ring = cream;
            ring.setAlpha(70);
            p.setPen(QPen(ring, 7));
            p.save();
            p.setClipRect(QRectF(8, 8, 240, 240));
            p.drawEllipse(QPointF(204, 56), 46, 46);
            p.restore();
            p.setPen(QPen(QColor(0xf0, 0xc8, 0x8c), 8, Qt::SolidLine, Qt::FlatCap));
            p.drawLine(QPointF(76, 214), QPointF(180, 214));
            p.setPen(Qt::NoPen);
        }
    }
    QPolygonF v;
    if (small)
        v << QPointF(2, 3) << QPointF(5.5, 3) << QPointF(8, 10) << QPointF(10.5, 3) << QPointF(14, 3)
          << QPointF(9.5, 14) << QPointF(6.5, 14);
    else
        v << QPointF(52, 52) << QPointF(98, 52) << QPointF(128, 150) << QPointF(158, 52) << QPointF(204, 52)
          << QPointF(150, 192) << QPointF(106, 192);
    p.setBrush(cream);
    p.drawPolygon(v);
    p.end();
    return image;
}

// resources/icons/app/<size>.png for every size the package installs.
bool WriteAppIcons(const QString& root)
{
    QDir folder(root + "/app");
    if (!folder.mkpath(".")) return false;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        if (!AppIcon(size).save(folder.filePath(QString("%1.png").arg(size)))) return false;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QString root = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("resources/icons");
    const bool ok = WriteList(root, "commands", Commands()) && WriteList(root, "filters", Filters()) &&
                    WriteAppIcons(root);
    return ok ? 0 : 1;
}
