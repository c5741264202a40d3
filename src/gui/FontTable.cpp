#include "gui/FontTable.h"

#include "gui/QtSupport.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QStringList>

#include <algorithm>
#include <array>
#include <utility>

namespace platform {

namespace {

struct FaceSubstitute {
    const char* Old;
    const char* Installed;
};

// The old names in the order font lists offer them.
constexpr std::array<FaceSubstitute, 8> kSubstitutes{{
    {"ＭＳ Ｐゴシック", "Noto Sans CJK JP"},
    {"ＭＳ ゴシック", "Noto Sans Mono CJK JP"},
    {"ＭＳ UI Gothic", "Noto Sans CJK JP"},
    {"ＭＳ Ｐ明朝", "Noto Serif CJK JP"},
    {"ＭＳ 明朝", "Noto Serif CJK JP"},
    {"Arial", "DejaVu Sans"},
    {"Times New Roman", "DejaVu Serif"},
    {"Courier New", "DejaVu Sans Mono"},
}};

// Japanese text in a Latin face falls back to this one.
constexpr const char* kJapaneseFallback = "Noto Sans CJK JP";

// The pixel size cell heights are measured at.
constexpr int kReferencePixels = 1000;

} // namespace

void InstallFontSubstitutions()
{
    static const bool installed = [] {
        for (const FaceSubstitute& face : kSubstitutes)
            QFont::insertSubstitutions(QString::fromUtf8(face.Old),
                                       {QString::fromUtf8(face.Installed), QString::fromUtf8(kJapaneseFallback)});
        return true;
    }();
    (void)installed;
}

const std::vector<std::string>& OldFaceNames()
{
    static const std::vector<std::string> names = [] {
        std::vector<std::string> result;
        for (const FaceSubstitute& face : kSubstitutes) result.emplace_back(face.Old);
        return result;
    }();
    return names;
}

std::string InstalledFace(const std::string& face)
{
    for (const FaceSubstitute& substitute : kSubstitutes)
        if (face == substitute.Old) return substitute.Installed;
    return face;
}

bool FaceSupportsJapanese(const std::string& face)
{
    return QFontDatabase::writingSystems(ToQString(InstalledFace(face))).contains(QFontDatabase::Japanese);
}

QFont MakeQFont(const FontSpec& spec, int dpiY)
{
    (void)dpiY;  // sizes are in device pixels already
    QFont font;
    const QString installed = ToQString(InstalledFace(spec.Face));
    font.setFamilies({installed, QString::fromUtf8(kJapaneseFallback)});
    font.setKerning(false);
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setWeight(static_cast<QFont::Weight>(std::clamp(spec.Weight <= 0 ? 400 : spec.Weight, 1, 1000)));
    font.setItalic(spec.Italic);
    if (spec.Height > 0) {
        // A cell height: the em that gives ascent + descent of that height.
        font.setPixelSize(kReferencePixels);
        const QFontMetricsF metrics(font);
        const qreal cell = metrics.ascent() + metrics.descent();
        font.setPixelSize(std::max(1, qRound(spec.Height * kReferencePixels / (cell > 0 ? cell : kReferencePixels))));
    } else {
        font.setPixelSize(spec.Height < 0 ? -spec.Height : 1);
    }
    font.setUnderline(spec.Underline);
    font.setStrikeOut(spec.StrikeOut);
    return font;
}

} // namespace platform
