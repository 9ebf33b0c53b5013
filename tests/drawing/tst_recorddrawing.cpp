// The drawing of a record: its size in millimetres, the painted extent at a given scale, a fitted
// drawing that stays inside its rectangle, and the record's own colours.
#include "ProbeFile.h"
#include "ReaderTestSupport.h"
#include "RecordDrawing.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

using namespace merivox;
using namespace merivox::test;

Q_DECLARE_METATYPE(merivox::TipKind)
Q_DECLARE_METATYPE(merivox::Rgb)

namespace {

RecordDrawing drawingOf(TipKind kind, const TipInputs &in)
{
    return RecordDrawing(ProbeFile::fromLines(built(kind, in, kEnglishLocale)).lines(0));
}

// A white image of the given size with what paint draws on it.
QImage painted(int width, int height, const std::function<void(QPainter &)> &paint)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paint(painter);
    return image;
}

// The smallest rectangle that holds every pixel that is not white.
QRect inked(const QImage &image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixel(x, y) != qRgb(255, 255, 255)) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

int countColour(const QImage &image, QColor colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixelColor(x, y) == colour ? 1 : 0;
        }
    }
    return count;
}

double luminance(QColor c)
{
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

// The contrast ratio of two colours, 1 (none) to 21 (black on white).
double contrast(QColor a, QColor b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

class TestRecordDrawing final : public QObject
{
    Q_OBJECT

private slots:
    void size_data();
    void size();
    void recordColours();
    void detail_data();
    void detail();
    void labels_data();
    void labels();
    void hotSpotCross_data();
    void hotSpotCross();
};

void TestRecordDrawing::size_data()
{
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<bool>("withoutRoundEnd");
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    // 0: not painted (connection marks, or a hot spot on the lower face, reach beyond the part)
    QTest::addColumn<double>("pixelsPerMm");

    // The ball's lower half and the cylinder tip's rounded end reach below their last positions;
    // the half sphere hangs its radius below the neck.
    QTest::newRow("ball") << TipKind::Ball << false << 41.5 << 4.0 << 4.0;
    QTest::newRow("cylinder") << TipKind::Cylinder << false << 46.0 << 6.0 << 5.0;
    QTest::newRow("cylinder without rounded end") << TipKind::Cylinder << true << 45.0 << 6.0 << 0.0;
    QTest::newRow("half sphere") << TipKind::HalfSphere << false << 34.0 << 8.0 << 8.0;
    QTest::newRow("disc") << TipKind::Disc << false << 30.0 << 12.0 << 6.0;
    QTest::newRow("cube") << TipKind::Cube << false << 10.0 << 10.0 << 0.0;
    QTest::newRow("extension") << TipKind::Extension << false << 50.0 << 4.0 << 0.0;
}

void TestRecordDrawing::size()
{
    QFETCH(TipKind, kind);
    QFETCH(bool, withoutRoundEnd);
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(double, pixelsPerMm);

    TipInputs in = example(kind, kEnglishLocale);
    in.Check_zyl = withoutRoundEnd;
    const RecordDrawing drawing = drawingOf(kind, in);
    QCOMPARE(drawing.overallLength(), length);
    QCOMPARE(drawing.largestWidth(), width);
    QCOMPARE(drawing.extent().top(), 0.0);

    // Fitted: everything, labels included, inside the target, and the part as large as fits.
    const QRect target(50, 40, 360, 480);
    const QRect fitted = inked(painted(500, 600, [&](QPainter &painter) { drawing.paintFitted(painter, target); }));
    QVERIFY2(target.contains(fitted), qPrintable(QStringLiteral("%1 %2 %3 %4")
                                                     .arg(fitted.left())
                                                     .arg(fitted.top())
                                                     .arg(fitted.right())
                                                     .arg(fitted.bottom())));
    QVERIFY(fitted.height() > target.height() * 0.8 || fitted.width() > target.width() * 0.8);
    if (pixelsPerMm == 0) {
        return;
    }
    // At a given scale, the part hangs from the mounting point, as long and as wide as the record says.
    const QPointF origin(150, 20);
    const QRect box = inked(painted(300, 800, [&](QPainter &painter) { drawing.paint(painter, origin, pixelsPerMm); }));
    QVERIFY(qAbs(box.top() - origin.y()) <= 1.5);
    QVERIFY2(qAbs(box.height() - length * pixelsPerMm) <= 2.5, qPrintable(QString::number(box.height())));
    QVERIFY2(qAbs(box.width() - width * pixelsPerMm) <= 2.5, qPrintable(QString::number(box.width())));
    QVERIFY(qAbs(box.center().x() - origin.x()) <= 1.5);
}

void TestRecordDrawing::recordColours()
{
    TipInputs in = example(TipKind::Ball, kEnglishLocale);
    in.shaft_rgb = {10, 200, 30};
    in.ball_rgb = {200, 20, 240};
    const RecordDrawing ball = drawingOf(TipKind::Ball, in);
    const RecordDrawing cube = drawingOf(TipKind::Cube, example(TipKind::Cube, kEnglishLocale));

    constexpr double kScale = 8.0;
    const QImage image = painted(400, 400, [&](QPainter &painter) {
        ball.paint(painter, {100, 10}, kScale);
        cube.paint(painter, {300, 10}, kScale);
    });
    // Inside the upper cylinder, inside the ball beside its hot-spot mark, inside the cube.
    QCOMPARE(image.pixelColor(100, 10 + 5 * kScale), QColor(10, 200, 30));
    QCOMPARE(image.pixelColor(100 + kScale, 10 + 40 * kScale), QColor(200, 20, 240));
    QCOMPARE(image.pixelColor(300 + 2 * kScale, 10 + 3 * kScale), QColor(142, 142, 142));
    QCOMPARE(image.pixelColor(300 + 6 * kScale, 10 + 3 * kScale), QColor(Qt::white));
}

void TestRecordDrawing::detail_data()
{
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<InputChange>("change");
    QTest::addColumn<bool>("hasDetail");
    // At 4 pixels per millimetre with a detail box 150 pixels wide: the magnification over the
    // drawing on a screen, and the detail's true scale on paper with the drawing at 1:2.
    QTest::addColumn<double>("onScreen");
    QTest::addColumn<double>("onPaper");

    const InputChange none = [](TipInputs &) {
    };
    // Under a twentieth of the overall length: 2 mm on a 41 mm stylus is, 2,1 mm on 41,05 mm is not.
    QTest::newRow("ball") << TipKind::Ball << none << false << 0.0 << 0.0;
    QTest::newRow("ball 2 on 41") << TipKind::Ball << setTyped({{&TipInputs::ball_diameter, "2"}}) << true << 5.0
                                  << 2.0;
    QTest::newRow("ball 2.1 on 41.05") << TipKind::Ball << setTyped({{&TipInputs::ball_diameter, "2.1"}}) << false
                                       << 0.0 << 0.0;
    QTest::newRow("ball 0.3 on 50") << TipKind::Ball
                                    << setTyped({{&TipInputs::L3, "50"}, {&TipInputs::ball_diameter, "0.3"}}) << true
                                    << 20.0 << 20.0;
    QTest::newRow("pin 1") << TipKind::Cylinder << setTyped({{&TipInputs::ball_diameter, "1"}}) << true << 10.0 << 5.0;
    QTest::newRow("half sphere 1") << TipKind::HalfSphere << setTyped({{&TipInputs::ball_diameter, "1"}}) << true
                                   << 10.0 << 5.0;
    QTest::newRow("disc 1") << TipKind::Disc << setTyped({{&TipInputs::length, "1"}}) << true << 10.0 << 5.0;
    QTest::newRow("cube") << TipKind::Cube << none << false << 0.0 << 0.0;
    QTest::newRow("extension") << TipKind::Extension << none << false << 0.0 << 0.0;
}

void TestRecordDrawing::detail()
{
    QFETCH(TipKind, kind);
    QFETCH(InputChange, change);
    QFETCH(bool, hasDetail);
    QFETCH(double, onScreen);
    QFETCH(double, onPaper);

    TipInputs in = example(kind, kEnglishLocale);
    in.ball_rgb = {200, 20, 240};
    change(in);
    const RecordDrawing drawing = drawingOf(kind, in);
    QCOMPARE(drawing.hasDetail(), hasDetail);
    if (!hasDetail) {
        return;
    }
    QCOMPARE(drawing.detailMagnification(4.0, 150.0, 0.0), onScreen);
    QCOMPARE(drawing.detailMagnification(4.0, 150.0, 0.5) * 0.5, onPaper);

    // Fitted, the detail shows the probing element magnified (at least twice): at least three
    // times the element's pixels of the drawing alone at the same scale, all inside the target.
    const QRect target(10, 10, 380, 320);
    const QColor element(200, 20, 240);
    const QImage image = painted(400, 340, [&](QPainter &painter) { drawing.paintFitted(painter, target); });
    QVERIFY(target.contains(inked(image)));
    const double scale = drawing.fittedScale(QFontMetricsF(QFont()), target);
    const QImage alone = painted(400, 340, [&](QPainter &painter) { drawing.paint(painter, {200, 20}, scale); });
    QVERIFY2(countColour(image, element) >= 3 * countColour(alone, element),
             qPrintable(QStringLiteral("%1 %2").arg(countColour(image, element)).arg(countColour(alone, element))));
}

void TestRecordDrawing::labels_data()
{
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<bool>("commaRecord"); // the record made under a German locale
    QTest::addColumn<bool>("fraction");    // a dimension with a fraction: the record shows its separator
    QTest::addColumn<bool>("mixed");       // and a sphere diameter with a point on top
    QTest::addColumn<bool>("germanLocale");
    QTest::addColumn<QStringList>("expected"); // length, probing element, shaft

    QTest::newRow("point record, German locale")
        << TipKind::Ball << false << true << false << true << QStringList{"L = 41.5 mm", "Ø 3 mm", "Ø 4 mm"};
    QTest::newRow("comma record, English locale")
        << TipKind::Ball << true << true << false << false << QStringList{"L = 41,5 mm", "Ø 3 mm", "Ø 4 mm"};
    QTest::newRow("no separator, German locale")
        << TipKind::Ball << false << false << false << true << QStringList{"L = 41,5 mm", "Ø 3 mm", "Ø 4 mm"};
    QTest::newRow("no separator, English locale")
        << TipKind::Ball << true << false << false << false << QStringList{"L = 41.5 mm", "Ø 3 mm", "Ø 4 mm"};
    QTest::newRow("mixed, English locale")
        << TipKind::Ball << true << true << true << false << QStringList{"L = 41.75 mm", "Ø 3.5 mm", "Ø 4 mm"};
    QTest::newRow("mixed, German locale")
        << TipKind::Ball << true << true << true << true << QStringList{"L = 41,75 mm", "Ø 3,5 mm", "Ø 4 mm"};
    QTest::newRow("half sphere wider than its shaft")
        << TipKind::HalfSphere << false << true << false << true << QStringList{"L = 34 mm", "Ø 8 mm", "Ø 6 mm"};
    QTest::newRow("disc") << TipKind::Disc << true << true << false << false
                          << QStringList{"L = 30 mm", "Ø 12 mm", "Ø 6 mm"};
    QTest::newRow("cube") << TipKind::Cube << true << true << false << false
                          << QStringList{"L = 10,5 mm", "", "B = 10,5 mm"};
    QTest::newRow("extension") << TipKind::Extension << false << true << false << true
                               << QStringList{"L = 50.5 mm", "", "Ø 4 mm"};
}

void TestRecordDrawing::labels()
{
    QFETCH(TipKind, kind);
    QFETCH(bool, commaRecord);
    QFETCH(bool, fraction);
    QFETCH(bool, mixed);
    QFETCH(bool, germanLocale);
    QFETCH(QStringList, expected);

    const QLocale &recordLocale = commaRecord ? kGermanLocale : kEnglishLocale;
    QStringList lines = built(kind, example(kind, recordLocale, fraction), recordLocale);
    if (mixed) {
        lines.replaceInStrings(QStringLiteral("sphere 0 0 -40 3"), QStringLiteral("sphere 0 0 -40 3.5"));
    }
    RecordDrawing drawing(ProbeFile::fromLines(lines).lines(0));
    drawing.setLocale(germanLocale ? kGermanLocale : kEnglishLocale);
    QCOMPARE((QStringList{drawing.lengthLabel(), drawing.elementLabel(), drawing.shaftLabel()}), expected);
}

void TestRecordDrawing::hotSpotCross_data()
{
    QTest::addColumn<Rgb>("colour");
    QTest::newRow("hard metal") << kHardMetalBall;
    QTest::newRow("ruby") << kRubyBall;
    QTest::newRow("ceramic") << kCeramicBall;
    QTest::newRow("steel") << kSteelShaft;
    QTest::newRow("carbon fibre") << kCarbonFibreShaft;
}

void TestRecordDrawing::hotSpotCross()
{
    QFETCH(Rgb, colour);
    TipInputs in = example(TipKind::Ball, kEnglishLocale);
    in.ball_diameter = typed(QStringLiteral("12"), kEnglishLocale);
    in.ball_rgb = colour;
    in.shaft_rgb = {10, 200, 30};
    const QColor fill(colour.red, colour.green, colour.blue);
    const RecordDrawing drawing = drawingOf(TipKind::Ball, in);

    // On the ball at 8 pixels per millimetre: the hot spot at (100, 10 + 40 * 8). Around it the
    // ball's colour, on the cross a colour that stands out against it.
    const QImage alone = painted(200, 420, [&](QPainter &painter) { drawing.paint(painter, {100, 10}, 8.0); });
    QCOMPARE(alone.pixelColor(100 + 12, 330 + 12), fill);
    double best = 1.0;
    for (int y = 330 - 5; y <= 330 + 5; ++y) {
        for (int x = 100 - 5; x <= 100 + 5; ++x) {
            best = std::max(best, contrast(alone.pixelColor(x, y), fill));
        }
    }
    QVERIFY2(best >= 4.5, qPrintable(QString::number(best)));

    // Fitted with its dimensions: the diameter's line runs through the ball's centre, and the
    // cross's white core still lies on top of it there.
    const QImage image = painted(400, 500, [&](QPainter &painter) { drawing.paintFitted(painter, {0, 0, 400, 500}); });
    // The ball hangs in the lower half; the mounting face at the top is black too.
    QRect ball;
    for (int y = image.height() / 2; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            ball |= image.pixelColor(x, y) == fill ? QRect(x, y, 1, 1) : QRect();
        }
    }
    bool white = false;
    for (int y = ball.center().y() - 1; y <= ball.center().y() + 1; ++y) {
        for (int x = ball.center().x() - 1; x <= ball.center().x() + 1; ++x) {
            const QColor c = image.pixelColor(x, y);
            white = white || (c.red() >= 245 && c.green() >= 245 && c.blue() >= 245);
        }
    }
    QVERIFY(!ball.isEmpty() && white);
}

QTEST_MAIN(TestRecordDrawing)
#include "tst_recorddrawing.moc"
