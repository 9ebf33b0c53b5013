// No record can make a paint slow or wrong: records made on purpose with huge, tiny and far-off
// numbers, out-of-range colours and many primitives are painted through the public paint API at
// the viewer's default drawing size and at 3840 × 2160, on the raster engine, each within 50 ms at
// the viewer's size and 200 ms at 3840 × 2160 (three thousand faces filled across that image take
// 58-77 ms in a debug build on some processors; the slow paints that these records found took
// seconds).
#include "ProbeFile.h"
#include "RecordDrawing.h"

#include <QImage>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <array>
#include <ctime>

using namespace merivox;

namespace {

QByteArray stylus(const QByteArray &body)
{
    return "ITEM:HMM M3\r\nbegintip\r\nribcount 10\r\n" + body + "endtip\r\n";
}

// The quickest of five paints into an image of the size (fitted, and at fixed scales of 1e5 and 2
// pixels a millimetre, where a part may reach far beyond the image), in milliseconds of processor time:
// a busy machine (other builds beside the tests) slows some paints down, a slow drawing all of them.
double paintMs(const RecordDrawing &drawing, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    std::array<double, 5> times{};
    for (double &ms : times) {
        image.fill(Qt::white);
        QPainter painter(&image);
        const std::clock_t start = std::clock();
        drawing.paintFitted(painter, QRectF(QPointF(8, 8), QSizeF(size) - QSizeF(16, 16)));
        drawing.paint(painter, QPointF(size.width() / 2.0, 8), 1e5);
        drawing.paint(painter, QPointF(size.width() / 2.0, 8), 2.0); // a part that reaches far beyond
        ms = double(std::clock() - start) * 1000.0 / CLOCKS_PER_SEC;
    }
    return *std::min_element(times.begin(), times.end());
}

} // namespace

class TestHostilePaint final : public QObject
{
    Q_OBJECT

private slots:
    void paintTime_data();
    void paintTime();
};

void TestHostilePaint::paintTime_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");

    const QByteArray many = QByteArray("cylinder 0 0 -1 0 0 -2 0.5\r\nsphere 0.5 0 -3 0.25\r\n").repeated(20000);
    const QByteArray faces = "ITEM:FMM M3\r\nsolid 6\r\nColor 1e308 -1e308 255\r\n" +
                             QByteArray("face 15 " + QByteArray("1e5 -1e5 3 -1e5 1e5 0 ").repeated(7) + "0 0 0\r\n")
                                 .repeated(3000);
    const QList<std::pair<const char *, QByteArray>> records{
        {"huge coordinates",
         stylus("Color 1e308 1e308 -1e308\r\ncylinder 0 0 0 0 0 -1e300 1e300\r\ncone 1e9 0 -1e9 1e9 0 0 1 1e-300\r\n"
                "sphere 0 0 -1e6 1e6\r\nhotspot 1e300 0 -1e300 0 0 1 3 3 ball\r\n")},
        {"kilometre next to a micrometre",
         stylus("cylinder 0 0 0 0 0 -1e6 2e6\r\nsphere 0 0 -0.001 0.001\r\ncutsphere 0 0 -1e6 0 0 1 1e6 2 -10000\r\n"
                "hotspot 0 0 -0.001 0 0 1 3 3 ball\r\n")},
        {"tiny part, far marks",
         stylus("sphere 0 0 -1e-9 1e-9\r\nhotspot 1e6 1e6 -1e6 0 0 1 3 3 ball\r\nconnect 0 0 1e6 0 0 1 M3\r\n")},
        {"forty thousand primitives", stylus(many)},
        {"three thousand faces, out-of-range colour", faces},
        {"slanted cylinders a kilometre long",
         stylus(QByteArray("cylinder 0 0 1e5 2 0 -1e6 1\r\nhotspot 1e300 0 -1e308 0 0 1 3 3 ball\r\n").repeated(3))},
        {"half spheres across the axis", stylus(QByteArray("cutsphere 1e6 0 -1e6 1 1 1 1e6 2 -10000\r\n").repeated(3000))},
    };
    for (const auto &[name, bytes] : records) {
        QTest::addRow("%s, viewer", name) << bytes << QSize(320, 420);
        QTest::addRow("%s, 3840 x 2160", name) << bytes << QSize(3840, 2160);
    }
}

void TestHostilePaint::paintTime()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    const ProbeFile file = ProbeFile::fromBytes(bytes);
    QVERIFY(file.recordCount() > 0);
    const RecordDrawing drawing(file.lines(0));
    QVERIFY(!drawing.isEmpty());
    QVERIFY(std::isfinite(drawing.overallLength()) && std::isfinite(drawing.largestWidth()));
    const double ms = paintMs(drawing, size);
    qInfo("%.1f ms", ms);
    const double most = size.width() > 1000 ? 200 : 50;
    QVERIFY2(ms < most, qPrintable(QStringLiteral("%1 ms").arg(ms)));
}

QTEST_MAIN(TestHostilePaint)
#include "tst_hostilepaint.moc"
