// The drawing of a record: its size in millimetres, the painted extent at a given scale, a fitted
// drawing that stays inside its rectangle, and the record's own colours.
#include "ProbeFile.h"
#include "ReaderTestSupport.h"
#include "RecordDrawing.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <functional>

using namespace merivox;
using namespace merivox::test;

Q_DECLARE_METATYPE(merivox::TipKind)

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

} // namespace

class TestRecordDrawing final : public QObject
{
    Q_OBJECT

private slots:
    void size_data();
    void size();
    void recordColours();
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
    QVERIFY2(target.contains(fitted), qPrintable(QStringLiteral("%1 %2 %3 %4").arg(fitted.left()).arg(fitted.top())
                                                     .arg(fitted.right()).arg(fitted.bottom())));
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

QTEST_MAIN(TestRecordDrawing)
#include "tst_recorddrawing.moc"
