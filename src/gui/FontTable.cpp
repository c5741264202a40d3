#include "gui/FontTable.h"

#include "gui/QtSupport.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHash>
#include <QStringList>

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <mutex>
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

// The matches remembered; past them the memory starts again.
constexpr qsizetype kMaxMatches = 4096;

const char* GenericFamily(FaceClass kind)
{
    switch (kind) {
    case FaceClass::Serif: return "serif";
    case FaceClass::Sans: return "sans-serif";
    case FaceClass::Mono: return "monospace";
    case FaceClass::Script: return "cursive";
    case FaceClass::Decorative: return "fantasy";
    case FaceClass::Any: break;
    }
    return nullptr;
}

// Whether a font of family `face` is installed (the system compares names without case or blanks).
bool FamilyInstalled(const QByteArray& face)
{
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.constData()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet* fonts = FcFontList(nullptr, pattern, objects);
    const bool installed = fonts && fonts->nfont > 0;
    if (fonts)
        FcFontSetDestroy(fonts);
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return installed;
}

// The family of the first font the system sorts for `face` (bound strongly) and `generic` (weakly,
// as a class is), with the configuration's substitutions, for Latin text (whatever the user's
// language) or Japanese text: then the first that has its characters. Empty when there is none.
QString FirstFamily(const QByteArray& face, const char* generic, bool japanese)
{
    FcPattern* pattern = FcPatternCreate();
    if (!face.isEmpty())
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.constData()));
    if (generic) {
        FcValue value;
        value.type = FcTypeString;
        value.u.s = reinterpret_cast<const FcChar8*>(generic);
        FcPatternAddWeak(pattern, FC_FAMILY, value, FcTrue);
    }
    FcLangSet* languages = FcLangSetCreate();
    FcLangSetAdd(languages, reinterpret_cast<const FcChar8*>(japanese ? "ja" : "en"));
    FcPatternAddLangSet(pattern, FC_LANG, languages);
    FcLangSetDestroy(languages);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcFontSet* fonts = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
    QString family;
    for (int i = 0; fonts && i < fonts->nfont && family.isEmpty(); ++i) {
        FcCharSet* characters = nullptr;
        if (japanese && (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &characters) != FcResultMatch ||
                         !FcCharSetHasChar(characters, U'日') || !FcCharSetHasChar(characters, U'あ')))
            continue;
        FcChar8* name = nullptr;
        if (FcPatternGetString(fonts->fonts[i], FC_FAMILY, 0, &name) == FcResultMatch)
            family = QString::fromUtf8(reinterpret_cast<const char*>(name));
    }
    if (fonts)
        FcFontSetDestroy(fonts);
    FcPatternDestroy(pattern);
    return family;
}

// The style hint of a Japanese face: the class whose Japanese face it is for the system.
QFont::StyleHint HintOf(const QString& japanese)
{
    static const std::array<std::pair<QString, QFont::StyleHint>, 4> kClasses{{
        {FirstFamily({}, "serif", true), QFont::Serif},
        {FirstFamily({}, "monospace", true), QFont::Monospace},
        {FirstFamily({}, "cursive", true), QFont::Cursive},
        {FirstFamily({}, "fantasy", true), QFont::Fantasy},
    }};
    for (const auto& [face, hint] : kClasses)
        if (!japanese.isEmpty() && face == japanese)
            return hint;
    return QFont::AnyStyle;
}

MatchedFace Match(const QString& face, FaceClass kind)
{
    const QByteArray name = face.toUtf8();
    // The class speaks for a name no installed face has; the system weighs it with what its
    // configuration knows of the name.
    const char* generic = !name.isEmpty() && FamilyInstalled(name) ? nullptr : GenericFamily(kind);
    QStringList families{FirstFamily(name, generic, false)};
    if (families.front().isEmpty())
        families.front() = name.isEmpty() ? QString::fromUtf8(kJapaneseFallback) : face;
    // An old Japanese name's Japanese is its substitute's.
    const QString japanese = FirstFamily(ToQString(InstalledFace(name.toStdString())).toUtf8(), generic, true);
    if (!japanese.isEmpty() && japanese != families.front())
        families.append(japanese);
    return {families, HintOf(japanese)};
}

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

FaceClass ClassOfFamily(int pitchAndFamily)
{
    switch ((pitchAndFamily >> 4) & 15) {
    case 1: return FaceClass::Serif;
    case 2: return FaceClass::Sans;
    case 3: return FaceClass::Mono;
    case 4: return FaceClass::Script;
    case 5: return FaceClass::Decorative;
    default: return FaceClass::Any;
    }
}

MatchedFace MatchFace(const QString& face, FaceClass kind)
{
    static std::mutex mutex;
    static QHash<QString, MatchedFace> matches;
    const QString key = face + QChar(u'0' + static_cast<int>(kind));
    const std::lock_guard lock(mutex);
    if (const auto it = matches.constFind(key); it != matches.cend())
        return *it;
    if (matches.size() >= kMaxMatches)
        matches.clear();
    return *matches.insert(key, Match(face, kind));
}

QFont MakeQFont(const FontSpec& spec, int dpiY)
{
    (void)dpiY;  // sizes are in device pixels already
    QFont font;
    const QString installed = ToQString(InstalledFace(spec.Face));
    if (const FaceClass kind = ClassOfFamily(spec.PitchAndFamily); kind != FaceClass::Any) {
        // A face not installed draws in one of its family's class, not in the fallback's.
        const MatchedFace matched = MatchFace(installed, kind);
        QStringList families = matched.Families;
        if (!families.contains(QString::fromUtf8(kJapaneseFallback)))
            families.append(QString::fromUtf8(kJapaneseFallback));
        font.setFamilies(families);
        font.setStyleHint(matched.Hint);
    } else {
        font.setFamilies({installed, QString::fromUtf8(kJapaneseFallback)});
    }
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
