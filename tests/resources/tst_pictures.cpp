// Every picture the program ships: it is compiled in under its path, loads without
// complaint from Qt SVG, has its natural size, draws something in the expected colours,
// keeps its labels off its edges and carries exactly the captions of its controls.

#include "PictureList.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QSet>
#include <QSvgRenderer>
#include <QTest>
#include <algorithm>

namespace pictures = merivox::pictures;

namespace {

// Natural sizes come from the window layouts, which are given in twips.
constexpr int pixels(int twips)
{
    return twips / 15;
}
constexpr int thinBorder = 2;
constexpr QSize drawingInsideThinBorder(int widthTwips, int heightTwips)
{
    return {pixels(widthTwips) - 2 * thinBorder, pixels(heightTwips) - 2 * thinBorder};
}

// White, Blue: the whole outer frame is that background. BlueBehind: blue at the corners,
// for a picture whose subject runs off an edge on purpose.
enum Background { White, Blue, BlueBehind, Any };

bool isWhite(QRgb c)
{
    return c == qRgba(255, 255, 255, 255);
}
bool isBlue(QRgb c)
{
    return qAlpha(c) == 255 && qBlue(c) > qRed(c) + 40 && qBlue(c) > qGreen(c) + 20;
}
bool isRed(QRgb c)
{
    return qAlpha(c) > 200 && qRed(c) > 150 && qGreen(c) < 90 && qBlue(c) < 90;
}

QStringList warnings;
void collectWarning(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        warnings << message;
}

QImage render(QSvgRenderer &renderer, QSize size)
{
    QImage image(size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), size));
    return image;
}

int countPixels(const QImage &image, bool (*matches)(QRgb))
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += matches(image.pixel(x, y)) ? 1 : 0;
    return count;
}

QString readResource(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

QStringList textsOf(const QString &svg)
{
    static const QRegularExpression text(QStringLiteral("<text[^>]*>([^<]*)</text>"));
    QStringList texts;
    for (const auto &match : text.globalMatch(svg))
        texts << match.captured(1);
    texts.sort();
    return texts;
}

} // namespace

class TestPictures final : public QObject
{
    Q_OBJECT

private slots:
    void picture_data();
    void picture();
    void onlyFeaturesQtSvgDraws_data() { picture_data(); }
    void onlyFeaturesQtSvgDraws();
    void resourcesHoldExactlyThePictures();
    void iconAtSize_data();
    void iconAtSize();
};

void TestPictures::picture_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("background");
    QTest::addColumn<bool>("red");
    QTest::addColumn<QStringList>("captions");

    const QSize button(62, 65);
    const auto captions = [](std::initializer_list<const char *> texts) {
        QStringList list;
        for (const char *t : texts)
            list << QString::fromUtf8(t);
        list.sort();
        return list;
    };

    QTest::newRow("image_kd") << drawingInsideThinBorder(3315, 7080) << int(White) << true
                              << captions({"L1", "L2", "L3", "D1", "D2", "Kugeldurchmesser"});
    QTest::newRow("Image_zyl") << drawingInsideThinBorder(3915, 7590) << int(White) << true
                               << captions({"L1", "L2", "L3", "L4", "D1", "D2", "Kugeldurchmesser"});
    QTest::newRow("Image_HK") << drawingInsideThinBorder(3900, 7635) << int(White) << true
                              << captions({"L1", "L2", "L3", "D1", "D2", "Kugeldurchmesser"});
    QTest::newRow("Image_disk") << drawingInsideThinBorder(3855, 6945) << int(White) << true
                                << captions({"L1", "L2", "L3", "D1", "D2", "Länge", "Breite"});
    QTest::newRow("Image_wuerf") << QSize(pixels(3855), pixels(3495)) << int(White) << false << captions({"L1"});
    QTest::newRow("Image_verl") << QSize(pixels(3765), pixels(6885)) << int(White) << false
                                << captions({"Gewinde 1", "Gewinde 2", "D1", "Länge"});
    QTest::newRow("cmd_kug") << button << int(Blue) << true << QStringList();
    QTest::newRow("cmd_zyl") << button << int(Blue) << true << QStringList();
    QTest::newRow("cmd_wuerf") << button << int(Blue) << false << QStringList();
    QTest::newRow("cmd_sph") << button << int(Blue) << true << QStringList();
    QTest::newRow("cmd_disk") << button << int(Blue) << true << QStringList();
    QTest::newRow("cmd_ver") << button << int(Blue) << false << QStringList();
    QTest::newRow("logo") << QSize(294, 54) << int(Any) << true << captions({"Merivox", "Quentar GmbH"});
    QTest::newRow("probe_head") << QSize(190, 224) << int(BlueBehind) << true << QStringList();
    QTest::newRow("merivox") << QSize(256, 256) << int(Any) << true << QStringList();
}

void TestPictures::picture()
{
    QFETCH(QSize, size);
    QFETCH(int, background);
    QFETCH(bool, red);
    QFETCH(QStringList, captions);
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    const QString path = QStringLiteral(":/pictures/%1.svg").arg(name);

    const auto listed = std::find_if(pictures::all.begin(), pictures::all.end(),
                                     [&](const pictures::Picture &p) { return name == QLatin1StringView(p.name); });
    QVERIFY2(listed != pictures::all.end(), "missing from PictureList.h");
    QCOMPARE(listed->path(), path);
    QCOMPARE(listed->size(), size);

    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarning);
    QSvgRenderer renderer(path);
    const QImage image = renderer.isValid() ? render(renderer, size) : QImage();
    qInstallMessageHandler(previous);

    QVERIFY2(renderer.isValid(), qPrintable(path));
    QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join(u'\n')));
    QCOMPARE(renderer.defaultSize(), size);
    QCOMPARE(renderer.viewBoxF(), QRectF(QPointF(0, 0), size));

    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            colours.insert(image.pixel(x, y));
    QVERIFY2(colours.size() >= 16, qPrintable(QStringLiteral("only %1 colours").arg(colours.size())));

    const int redPixels = countPixels(image, isRed);
    if (red)
        QVERIFY2(redPixels >= 20, qPrintable(QStringLiteral("%1 red pixels").arg(redPixels)));
    else
        QCOMPARE(redPixels, 0);

    // The outer two pixels are plain background: nothing runs into the edge or is cut off there.
    if (background == BlueBehind) {
        const int right = image.width() - 1;
        const int bottom = image.height() - 1;
        for (const QPoint corner : {QPoint(0, 0), QPoint(right, 0), QPoint(0, bottom), QPoint(right, bottom)})
            QVERIFY2(isBlue(image.pixel(corner)), qPrintable(QStringLiteral("%1,%2").arg(corner.x()).arg(corner.y())));
    }
    if (background == White || background == Blue) {
        const auto matches = background == White ? isWhite : isBlue;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const bool edge = x < 2 || y < 2 || x >= image.width() - 2 || y >= image.height() - 2;
                if (edge && !matches(image.pixel(x, y)))
                    QFAIL(qPrintable(QStringLiteral("drawn on the edge at %1,%2").arg(x).arg(y)));
            }
    }

    QCOMPARE(textsOf(readResource(path)), captions);
}

void TestPictures::onlyFeaturesQtSvgDraws()
{
    const QString svg =
        readResource(QStringLiteral(":/pictures/%1.svg").arg(QString::fromLatin1(QTest::currentDataTag())));
    QVERIFY(!svg.isEmpty());

    // Qt SVG 6.4 silently leaves these out.
    for (const char *unsupported : {"<marker", "marker-start", "marker-end", "<filter", "<mask", "<clipPath",
                                    "<pattern", "<style", "class=", "<foreignObject"})
        QVERIFY2(!svg.contains(QLatin1StringView(unsupported)), unsupported);

    // It takes a font-family list as one unknown family name and falls back to another font.
    static const QRegularExpression family(QStringLiteral("font-family=\"([^\"]*)\""));
    for (const auto &match : family.globalMatch(svg))
        QVERIFY2(!match.captured(1).contains(u','), qPrintable(match.captured(1)));

    // Labels stay legible at 100 %.
    static const QRegularExpression fontSize(QStringLiteral("font-size=\"([0-9.]+)\""));
    for (const auto &match : fontSize.globalMatch(svg))
        QVERIFY2(match.captured(1).toDouble() >= 11, qPrintable(match.captured(0)));
}

void TestPictures::resourcesHoldExactlyThePictures()
{
    QStringList expected;
    for (const auto &picture : pictures::all)
        expected << QLatin1StringView(picture.name) + QStringLiteral(".svg");
    expected.sort();

    QStringList compiledIn = QDir(QStringLiteral(":/pictures")).entryList(QDir::Files);
    compiledIn.sort();
    QCOMPARE(compiledIn, expected);
}

void TestPictures::iconAtSize_data()
{
    QTest::addColumn<int>("side");
    for (int side : {16, 32, 48, 256})
        QTest::addRow("%d px", side) << side;
}

// The icon as a desktop draws it from the SVG through QIcon and the SVG icon engine.
void TestPictures::iconAtSize()
{
    QFETCH(int, side);
    const QIcon icon(pictures::icon.path());
    QVERIFY(!icon.isNull());

    const QImage image = icon.pixmap(QSize(side, side)).toImage();
    QCOMPARE(image.size(), QSize(side, side));
    QVERIFY(countPixels(image, isRed) >= std::max(2, side * side / 50));
    QVERIFY(countPixels(image, isBlue) >= side * side / 4);
    QCOMPARE(qAlpha(image.pixel(side / 2, side / 2)), 255);
}

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
