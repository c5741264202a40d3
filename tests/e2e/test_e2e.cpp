// The whole program as a user meets it: the real executable started twice on one fresh home, with
// the driver plugin playing each run. The first run makes a database, imports fifty ingredients from
// a code-page-932 CSV file through the conversion wizard (new classes, units and a dealer made on the
// way), builds a recipe of three ingredients marked in the record list and a menu serving it in the
// editor (uses typed in the item grid), changes an ingredient's buy price and reprices the recipe from
// the item tool bar, makes this month's stock-taking sheet and counts one ingredient on it, opens the
// designer and its property area, prints the food list and then the recipe, the PDF printer picked in
// the printer frame, through the print dialog, exports every row as XML, widens the class panel, picks
// the class bar, moves and resizes the window, retitles the recipe layout on its property page and
// closes it as a window manager does; the second finds the window where it was left, opens the
// database, first in the open dialog, shows it under the class bar, the recipe layout with its new
// title and, back on the class tree, the panel at the width left. The figures shown and printed are
// checked against the controller's own, worked out from what it fed in. Every stage leaves a
// screenshot of more than one colour; a stage that times out fails by its name.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <iconv.h>

#include <cmath>
#include <map>
#include <set>
#include <string>

namespace {

struct RunResult {
    int exitCode = -1;
    QStringList log;
};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(home.isValid());
        out = QStringLiteral(VKT_E2E_SNAPSHOTS);
        QDir(out).mkpath(".");
        for (const QString& old : QDir(out).entryList({"e2e-*"}, QDir::Files)) QFile::remove(out + "/" + old);
    }

    RunResult Run(int run)
    {
        // A short runtime folder of mode 0700 per run keeps the instance marker apart.
        QTemporaryDir runtime(QDir::tempPath() + "/vkt-e2e-XXXXXX");
        QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.path() + "/.config");
        env.insert("XDG_DATA_HOME", home.path() + "/.local/share");
        env.insert("XDG_CACHE_HOME", home.path() + "/.cache");
        env.insert("XDG_RUNTIME_DIR", runtime.path());
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.remove("QT_QPA_PLATFORMTHEME");
        env.insert("CUPS_SERVER", "/nonexistent/cups.sock");
        env.insert("QT_PLUGIN_PATH", VKT_E2E_PLUGINS);
        env.insert("QT_QPA_GENERIC_PLUGINS", QStringLiteral("vktdriver:%1").arg(run));
        env.insert("VKT_E2E_OUT", out);
        env.insert("VKT_E2E_DATA", home.path() + "/data");
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(VKT_E2E_PROGRAM, {});
        RunResult result;
        if (!program.waitForStarted(10000) || !program.waitForFinished(120000)) {
            program.kill();
            program.waitForFinished();
        } else if (program.exitStatus() == QProcess::NormalExit) {
            result.exitCode = program.exitCode();
        }
        QFile log(QStringLiteral("%1/e2e-run%2.log").arg(out).arg(run));
        if (log.open(QIODevice::ReadOnly | QIODevice::Text))
            result.log = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
        return result;
    }

    static QString Line(const RunResult& r, const QString& prefix)
    {
        for (const QString& line : r.log)
            if (line.startsWith(prefix)) return line;
        return {};
    }
    static void ExpectStages(const RunResult& r, std::initializer_list<const char*> stages)
    {
        EXPECT_EQ(r.exitCode, 0) << r.log.join(" | ").toStdString();
        EXPECT_TRUE(Line(r, "timeout").isEmpty()) << Line(r, "timeout").toStdString();
        for (const char* stage : stages)
            EXPECT_TRUE(r.log.contains(QStringLiteral("stage %1 ok").arg(stage))) << stage;
        EXPECT_TRUE(r.log.contains("done"));
    }

    QTemporaryDir home;
    QString out;
};

QString Output(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Code page 932 bytes of UTF-8 text, as an older desktop program writes its CSV files.
QByteArray Cp932(const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == iconv_t(-1)) return {};
    std::string out(utf8.size() * 2, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* to = out.data();
    size_t outLeft = out.size();
    const size_t converted = iconv(cd, &in, &inLeft, &to, &outLeft);
    iconv_close(cd);
    if (converted == size_t(-1)) return {};
    return QByteArray(out.data(), qsizetype(out.size() - outLeft));
}

// One ingredient of the imported list: class, name, buy unit, buy price, quantity, yield %, dealer.
struct Food {
    QString cls, name, unit;
    int price, quantity, yield;
    QString dealer;
};

// Made once: a reference into the list stays valid to the end of the program.
const std::vector<Food>& Foods()
{
    static const std::vector<Food> foods = [] {
        std::vector<Food> made;
        for (int i = 1; i <= 50; ++i)
            made.push_back({i % 2 ? QStringLiteral("果物類") : QStringLiteral("穀物類"),
                            QStringLiteral("テスト食材%1").arg(i, 2, 10, QChar('0')),
                            i % 3 ? QStringLiteral("箱") : QStringLiteral("袋"), 100 + 10 * i, 1 + i % 3, 50 + i,
                            QStringLiteral("東京青果")});
        return made;
    }();
    return foods;
}

// The use price the program stores: buy × (100 / yield) / quantity, the factor a currency value of
// four decimals.
// Whole yen as the layouts and sheets show them.
QString Yen(double value)
{
    return QStringLiteral("¥") + QLocale(QLocale::English).toString(qlonglong(std::lround(value)));
}

// Currency values as the program keeps them, to four decimals: the product formed in extended
// precision, ties to even.
double Money(double value) { return double(std::nearbyint(static_cast<long double>(value) * 10000.0L) / 10000.0L); }

// A price of one use unit as the program shows it: grouped, with the decimals it holds as far as
// four significant digits.
QString UnitYen(double value)
{
    QString digits = QString::number(Money(value), 'f', 4);
    while (digits.endsWith(QLatin1Char('0'))) digits.chop(1);
    if (digits.endsWith(QLatin1Char('.'))) digits.chop(1);
    const int point = digits.indexOf(QLatin1Char('.'));
    int whole = 0;   // digits of the whole yen
    for (double w = std::trunc(std::fabs(Money(value))); w >= 1; w = std::trunc(w / 10)) ++whole;
    const int decimals = std::min(point < 0 ? 0 : int(digits.size()) - point - 1, std::max(0, 4 - whole));
    return QStringLiteral("¥") + QLocale(QLocale::English).toString(Money(value), 'f', decimals);
}

QString Figure(double value) { return QString::number(value, 'f', 2); }

// An item of a recipe or menu: the used record's name and unit price, and the use typed.
struct Item {
    QString name;
    double price, use;
};

// The lines the editor shows for a recipe or menu of these items, finished amount and sale price:
// each item's price, use and use price (use × price), then the total (their sum), the use price
// (total / finished amount) and the cost rate (use price / sale price, in percent).
struct Costing {
    QStringList lines;
    double total = 0, usePrice = 0, costRate = 0;
};
Costing Cost(const QString& what, const std::vector<Item>& items, double complete, double sale)
{
    Costing c;
    for (const Item& i : items) {
        c.lines << QStringLiteral("%1 item %2|%3|%4|%5")
                       .arg(what, i.name, UnitYen(i.price), Figure(i.use), Yen(Money(i.use * i.price)));
        c.total += i.use * i.price;
    }
    c.usePrice = Money(c.total / complete);
    c.costRate = c.usePrice / sale * 100;
    c.lines << QStringLiteral("%1 total %2|%3|%4%").arg(what, Yen(c.total), UnitYen(c.usePrice), Figure(c.costRate));
    return c;
}

// What the driver types in the editor: the recipe of the first three fruit (its finished amount
// and sale price, each item's use), the menu serving two of it, and the second's new buy price.
const QString kRecipeName = QStringLiteral("フルーツソース");
constexpr double kRecipeComplete = 2, kRecipeSale = 1000;
constexpr double kRecipeUses[] = {2, 0.5, 3};
constexpr double kMenuComplete = 1, kMenuSale = 2500, kMenuUse = 2;
constexpr double kNewBuyPrice = 212;

// The use price after a buy price edit, as the price chain computes it: buy × (100 / yield) / quantity.
double ChainUsePrice(double buy, const Food& f) { return Money(buy * (100.0 / f.yield) / f.quantity); }
// Imported or edited, a use price is rounded once to the currency.
double StoredUsePrice(const Food& f) { return ChainUsePrice(f.price, f); }

QStringList Logged(const QStringList& log, const QString& what)
{
    QStringList lines;
    for (const QString& line : log)
        if (line.startsWith(what + " item ") || line.startsWith(what + " total ")) lines << line;
    return lines;
}

bool WriteFoodsCsv(const QString& path)
{
    QString text;
    for (const Food& f : Foods())
        text += QStringLiteral("%1,%2,%3,%4,%5,%6,%7\r\n")
                    .arg(f.cls, f.name, f.unit)
                    .arg(f.price)
                    .arg(f.quantity)
                    .arg(f.yield)
                    .arg(f.dealer);
    const QByteArray bytes = Cp932(text);
    QFile file(path);
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool MoreThanOneColour(const QImage& image)
{
    std::set<QRgb> seen;
    for (int y = 0; y < image.height(); y += 4)
        for (int x = 0; x < image.width(); x += 4) {
            seen.insert(image.pixel(x, y));
            if (seen.size() > 1) return true;
        }
    return false;
}

} // namespace

TEST_F(EndToEnd, ASessionIsKeptForTheNextStart)
{
    ASSERT_TRUE(QDir(home.path()).mkpath("data"));
    ASSERT_TRUE(WriteFoodsCsv(home.path() + "/data/foods.csv"));
    const RunResult first = Run(1);
    ExpectStages(first, {"start", "new-database", "database-folder", "database-name",
                         "csv-wizard", "csv-fields", "csv-table", "csv-unknown", "csv-new-items", "csv-import",
                         "csv-close", "recipe-class", "recipe-new", "recipe-open", "recipe-kernel", "recipe-marked",
                         "recipe-items", "recipe-uses", "recipe-figures", "menu-class", "menu-new", "menu-open",
                         "menu-kernel", "menu-marked", "menu-items", "menu-uses", "menu-figures", "food-open",
                         "buy-price", "recipe-reopen", "recipe-stale", "reprice", "reprice-figures", "food-classes",
                         "stock-wizard", "stock-create", "stock-close", "stock-sheet", "stock-remained",
                         "stock-sheet-closed", "designer", "property-area", "print-dialog", "print-pdf",
                         "print-close", "recipe-print-layout", "printer-frame", "recipe-print-dialog",
                         "recipe-print-pdf", "recipe-print-close", "food-list-again", "data-list", "xml-export",
                         "class-panel", "class-bar", "window-bounds", "recipe-layout", "recipe-title",
                         "recipe-saved", "close"});
    EXPECT_TRUE(QDir(home.path() + "/data/kitchen").exists());
    EXPECT_EQ(Line(first, "import").toStdString(), "import 50個のデータを変換します");
    // The recipe of the first three fruit and the menu serving it, as typed: every figure shown is
    // the controller's own from those inputs.
    const std::vector<Food> foods = Foods();
    std::vector<Item> items;
    for (int k = 0; k < 3; ++k) items.push_back({foods[2 * k].name, StoredUsePrice(foods[2 * k]), kRecipeUses[k]});
    const auto kernel = [](const char* what, double complete, double sale) {
        return (QStringLiteral("%1 kernel %2|%3").arg(what, Figure(complete), Yen(sale))).toStdString();
    };
    EXPECT_EQ(Line(first, "recipe kernel").toStdString(), kernel("recipe", kRecipeComplete, kRecipeSale));
    const Costing recipe = Cost("recipe", items, kRecipeComplete, kRecipeSale);
    EXPECT_EQ(Logged(first.log, "recipe").join('\n').toStdString(), recipe.lines.join('\n').toStdString());
    EXPECT_EQ(Line(first, "menu kernel").toStdString(), kernel("menu", kMenuComplete, kMenuSale));
    EXPECT_EQ(Logged(first.log, "menu").join('\n').toStdString(),
              Cost("menu", {{kRecipeName, recipe.usePrice, kMenuUse}}, kMenuComplete, kMenuSale)
                  .lines.join('\n')
                  .toStdString());
    // The second fruit's buy price changed: its use price follows at once, the recipe's figures only
    // once it is repriced.
    const Food& changed = foods[2];
    EXPECT_EQ(Line(first, "buy price").toStdString(),
              ("buy price " + Yen(kNewBuyPrice) + "|" + Yen(ChainUsePrice(kNewBuyPrice, changed))).toStdString());
    EXPECT_EQ(Logged(first.log, "stale").join('\n').toStdString(),
              Cost("stale", items, kRecipeComplete, kRecipeSale).lines.join('\n').toStdString());
    items[1].price = Money(ChainUsePrice(kNewBuyPrice, changed));
    // The ingredients as stored from here on, and their use prices.
    std::vector<Food> stored = foods;
    stored[2].price = kNewBuyPrice;
    const auto usePrice = [&changed](const Food& f) {
        return f.name == changed.name ? ChainUsePrice(f.price, f) : StoredUsePrice(f);
    };
    const Costing repriced = Cost("repriced", items, kRecipeComplete, kRecipeSale);
    EXPECT_EQ(Logged(first.log, "repriced").join('\n').toStdString(), repriced.lines.join('\n').toStdString());

    // The first ingredient on this month's stock-taking sheet, 3 of it remaining: its price and total.
    const Food& counted = Foods().front();
    EXPECT_EQ(Line(first, "counted").toStdString(),
              QStringLiteral("counted %1|%2|3.00|%3")
                  .arg(counted.name, Yen(StoredUsePrice(counted)), Yen(StoredUsePrice(counted) * 3))
                  .toStdString());
    // The food list printed to the PDF printer: the strip's page count and the list's title.
    const QString pdf = Line(first, "pdf ").mid(4);
    const QString pages = Line(first, "pages ").mid(6);
    ASSERT_FALSE(pdf.isEmpty());
    const QString info = Output("pdfinfo", {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression("Pages:\\s+" + pages + "\\n"))) << info.toStdString();
    QFile::copy(pdf, out + "/e2e-foodlist.pdf");
    QFile::copy(Line(first, "xml ").mid(4), out + "/e2e-foods.xml");
    const QString text = Output("pdftotext", {"-layout", pdf, "-"});
    EXPECT_TRUE(text.contains(QStringLiteral("食材リスト")));
    // Every imported ingredient on its line: the use price is the buy price per use unit after the
    // yield, in the layout's yen format.
    for (const Food& f : stored) {
        const QRegularExpression line(
            QStringLiteral("%1\\s+%2\\s+%3\\s+%4\\n").arg(f.name, f.unit, Yen(usePrice(f)), f.dealer));
        EXPECT_TRUE(text.contains(line)) << line.pattern().toStdString();
    }

    // The repriced recipe printed on its card through the PDF printer picked in the printer frame.
    EXPECT_EQ(Line(first, "printer").toStdString(), "printer PDFファイル");
    const QString recipePdf = Line(first, "recipe-pdf ").mid(11);
    ASSERT_FALSE(recipePdf.isEmpty());
    QFile::copy(recipePdf, out + "/e2e-recipe.pdf");
    const QString cardInfo = Output("pdfinfo", {recipePdf});
    EXPECT_TRUE(cardInfo.contains(QRegularExpression("Pages:\\s+" + Line(first, "recipe-pages ").mid(13) + "\\n")))
        << cardInfo.toStdString();
    const QString card = Output("pdftotext", {"-layout", recipePdf, "-"});
    EXPECT_TRUE(card.contains(kRecipeName)) << card.toStdString();
    // Each item on its line: name, use, unit, price and use price; then the total, use price, sale
    // price and cost rate (in the layout's format, with its percent sign).
    for (int k = 0; k < 3; ++k) {
        const Item& i = items[k];
        const QRegularExpression line(QStringLiteral("%1\\s+%2\\s+%3\\s+%4\\s+%5\\n")
                                          .arg(i.name, Figure(i.use), foods[2 * k].unit, Yen(i.price),
                                               Yen(Money(i.use * i.price))));
        EXPECT_TRUE(card.contains(line)) << line.pattern().toStdString() << "\n" << card.toStdString();
    }
    const QRegularExpression totals(QStringLiteral("%1\\s+%2\\s+%3\\s+%4\\n")
                                        .arg(Yen(repriced.total), Yen(repriced.usePrice), Yen(kRecipeSale),
                                             Figure(repriced.costRate) + "%"));
    EXPECT_TRUE(card.contains(totals)) << totals.pattern().toStdString() << "\n" << card.toStdString();

    // Every row exported as XML with the values stored from the file.
    QFile xml(Line(first, "xml ").mid(4));
    ASSERT_TRUE(xml.open(QIODevice::ReadOnly));
    QXmlStreamReader reader(&xml);
    std::map<QString, Food> expected;
    for (const Food& f : stored) expected.emplace(f.name, f);
    int rows = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement || reader.name() != QStringLiteral("Data")) continue;
        ++rows;
        const QXmlStreamAttributes a = reader.attributes();
        const auto found = expected.find(a.value("Data").toString());
        ASSERT_NE(found, expected.end()) << a.value("Data").toString().toStdString();
        const Food& f = found->second;
        EXPECT_EQ(a.value("BuyPrice").toInt(), f.price) << f.name.toStdString();
        EXPECT_EQ(a.value("Quantity").toInt(), f.quantity) << f.name.toStdString();
        EXPECT_EQ(a.value("Yield").toInt(), f.yield) << f.name.toStdString();
        EXPECT_NEAR(a.value("UsePrice").toDouble(), usePrice(f), 0.0006) << f.name.toStdString();
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    EXPECT_EQ(rows, 50);

    const RunResult second = Run(2);
    ExpectStages(second, {"start", "database-reopened", "class-bar-kept", "recipe-layout", "recipe-title-kept",
                          "class-panel-kept", "close"});
    EXPECT_FALSE(Line(first, "bounds").isEmpty());
    EXPECT_EQ(Line(second, "bounds").toStdString(), Line(first, "bounds").toStdString())
        << "the window comes back where it was left";
    EXPECT_EQ(Line(second, "database").toStdString(), "database Kitchen") << "the database open at the close";
    EXPECT_FALSE(Line(first, "class panel").isEmpty());
    EXPECT_EQ(Line(second, "class panel").toStdString(), Line(first, "class panel").toStdString())
        << "the widened side navigation comes back";
    EXPECT_EQ(Line(second, "recipe title").toStdString(), "recipe title 特製原価率表")
        << "the changed recipe layout is the one shown again";

    const QStringList shots = QDir(out).entryList({"e2e-*.png"}, QDir::Files, QDir::Name);
    EXPECT_EQ(shots.size(), 67) << shots.join(" ").toStdString();
    for (const QString& shot : shots) EXPECT_TRUE(MoreThanOneColour(QImage(out + "/" + shot))) << shot.toStdString();
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
