// The drawing of a record: its size in millimetres, the painted extent at a given scale, the
// record's own colours, and a fitted drawing that stays inside its rectangle.
#include "ProbeFile.h"
#include "ReaderTestSupport.h"
#include "RecordDrawing.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

using namespace merivox;
using namespace merivox::test;

Q_DECLARE_METATYPE(merivox::TipKind)

namespace {

RecordDrawing drawingOf(TipKind kind, const TipInputs &in)
{
    return RecordDrawing(ProbeFile::fromLines(built(kind, in, kEnglishLocale)).lines(0));
}

QImage blank(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
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

} // namespace

class TestRecordDrawing final : public QObject
{
    Q_OBJECT

private slots:
    void size_data();
    void size();
    void recordColours();
    void fittedInside();
};

void TestRecordDrawing::size_data()
{
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<bool>("withoutRoundEnd");
    QTest::addColumn<double>("L3"); // 0: as in the worked example
    QTest::addColumn<double>("length");
    QTest::addColumn<double>("width");
    QTest::addColumn<double>("pixelsPerMm"); // 0: not painted (connection marks reach beyond the part)

    // The ball's lower half and the cylinder tip's rounded end reach below their last positions;
    // the half sphere hangs its radius below the neck.
    QTest::newRow("ball") << TipKind::Ball << false << 0.0 << 41.5 << 4.0 << 4.0;
    QTest::newRow("ball, larger scale") << TipKind::Ball << false << 0.0 << 41.5 << 4.0 << 8.0;
    QTest::newRow("longer ball") << TipKind::Ball << false << 80.0 << 81.5 << 4.0 << 4.0;
    QTest::newRow("cylinder") << TipKind::Cylinder << false << 0.0 << 46.0 << 6.0 << 5.0;
    QTest::newRow("cylinder without rounded end") << TipKind::Cylinder << true << 0.0 << 45.0 << 6.0 << 5.0;
    QTest::newRow("half sphere") << TipKind::HalfSphere << false << 60.0 << 64.0 << 8.0 << 5.0;
    QTest::newRow("disc") << TipKind::Disc << false << 0.0 << 30.0 << 12.0 << 6.0;
    QTest::newRow("cube") << TipKind::Cube << false << 0.0 << 10.0 << 10.0 << 0.0;
    QTest::newRow("extension") << TipKind::Extension << false << 0.0 << 50.0 << 4.0 << 0.0;
}

void TestRecordDrawing::size()
{
    QFETCH(TipKind, kind);
    QFETCH(bool, withoutRoundEnd);
    QFETCH(double, L3);
    QFETCH(double, length);
    QFETCH(double, width);
    QFETCH(double, pixelsPerMm);

    TipInputs in = example(kind, kEnglishLocale);
    in.Check_zyl = withoutRoundEnd;
    if (L3 != 0) {
        in.L3 = typed(L3, kEnglishLocale);
    }
    const RecordDrawing drawing = drawingOf(kind, in);
    QCOMPARE(drawing.overallLength(), length);
    QCOMPARE(drawing.largestWidth(), width);
    QCOMPARE(drawing.extent().top(), 0.0);
    if (pixelsPerMm == 0) {
        return;
    }
    QImage image = blank(300, 800);
    const QPointF origin(150, 20);
    {
        QPainter painter(&image);
        drawing.paint(painter, origin, pixelsPerMm);
    }
    // The part hangs from the mounting point, as long and as wide as the record says.
    const QRect box = inked(image);
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
    const TipInputs cubeInputs = example(TipKind::Cube, kEnglishLocale);
    const RecordDrawing cube = drawingOf(TipKind::Cube, cubeInputs);

    constexpr double kScale = 8.0;
    QImage image = blank(400, 400);
    {
        QPainter painter(&image);
        ball.paint(painter, {100, 10}, kScale);
        cube.paint(painter, {300, 10}, kScale);
    }
    // Inside the upper cylinder, inside the ball beside its hot-spot mark, inside the cube.
    QCOMPARE(image.pixelColor(100, 10 + 5 * kScale), QColor(10, 200, 30));
    QCOMPARE(image.pixelColor(100 + kScale, 10 + 40 * kScale), QColor(200, 20, 240));
    QCOMPARE(image.pixelColor(300 + 2 * kScale, 10 + 3 * kScale), QColor(142, 142, 142));
    QCOMPARE(image.pixelColor(300 + 6 * kScale, 10 + 3 * kScale), QColor(Qt::white));
}

void TestRecordDrawing::fittedInside()
{
    for (const TipKind kind : kAllKinds) {
        const RecordDrawing drawing = drawingOf(kind, example(kind, kEnglishLocale));
        QImage image = blank(500, 600);
        const QRect target(50, 40, 360, 480);
        {
            QPainter painter(&image);
            drawing.paintFitted(painter, target);
        }
        // Everything, labels included, inside the target, and the part as large as fits.
        const QRect box = inked(image);
        QVERIFY2(target.contains(box), qPrintable(QStringLiteral("kind %1").arg(int(kind))));
        QVERIFY2(box.height() > target.height() * 0.8 || box.width() > target.width() * 0.8,
                 qPrintable(QStringLiteral("kind %1").arg(int(kind))));
    }
}

QTEST_MAIN(TestRecordDrawing)
#include "tst_recorddrawing.moc"
