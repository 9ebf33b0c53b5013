// Every kind's record, built from checked inputs and appended through the real writer into a
// fresh folder, compared byte for byte.
#include "Builders.h"
#include "ProbeFileWriter.h"
#include "SampleRecords.h"
#include "TestSupport.h"

#include <QTemporaryDir>

using namespace merivox;
using namespace merivox::test;

Q_DECLARE_METATYPE(merivox::TipKind)
Q_DECLARE_METATYPE(merivox::TipInputs)

namespace {

// L1, L2, L3, D1, D2 and the ball diameter of a stylus, as typed.
struct Stylus
{
    QString L1, L2, L3, D1, D2, ball;
};

TipInputs stylus(const QString &name, const QString &thread, const Stylus &s, const QLocale &locale = kEnglish)
{
    TipInputs in;
    in.name = name;
    in.thread = thread;
    in.L1 = dim(s.L1, locale);
    in.L2 = dim(s.L2, locale);
    in.L3 = dim(s.L3, locale);
    in.D1 = dim(s.D1, locale);
    in.D2 = dim(s.D2, locale);
    in.ball_diameter = dim(s.ball, locale);
    in.shaft_rgb = kCarbonFibreShaft;
    in.ball_rgb = kRubyBall;
    return in;
}

TipInputs ballExample()
{
    TipInputs in = stylus(QStringLiteral("TIP"), QStringLiteral("M3"), {"10", "15", "40", "4", "2", "3"});
    in.shaft_rgb = kSteelShaft;
    return in;
}

TipInputs cylinderExample(const QString &L3 = QStringLiteral("30"), const QString &L4 = QStringLiteral("45"))
{
    TipInputs in = stylus(QStringLiteral("ZT1"), QStringLiteral("M3ANALOG"), {"10", "20", L3, "6", "3", "2"});
    in.L4 = dim(L4);
    return in;
}

TipInputs discExample(const QString &L3, const QString &width, const QLocale &locale = kEnglish)
{
    TipInputs in = stylus(QStringLiteral("SC1"), QStringLiteral("M3ANALOG"), {"10", "20", L3, "6", "3", "0"}, locale);
    in.length = dim(QStringLiteral("12"), locale);
    in.width = dim(width, locale);
    return in;
}

TipInputs cube(const QString &L1, const QLocale &locale = kEnglish)
{
    TipInputs in;
    in.name = QStringLiteral("W10");
    in.thread = QStringLiteral("M3ANALOG");
    in.L1 = dim(L1, locale);
    in.shaft_rgb = kSteelShaft;
    return in;
}

TipInputs extension(const QString &D1, const QString &length, const QString &thread2, const QLocale &locale = kEnglish)
{
    TipInputs in;
    in.name = QStringLiteral("V50");
    in.thread = QStringLiteral("M3ANALOG");
    in.thread2 = thread2;
    in.D1 = dim(D1, locale);
    in.length = dim(length, locale);
    in.shaft_rgb = kSteelShaft;
    return in;
}

const QStringList kCylinderRecord{
    "ITEM:ZT1MM M3ANALOG",
    "begintip",
    "ribcount 10",
    "Color 0 0 0",
    "cylinder 0 0 0 0 0 -10 6",
    "cone 0 0 -10 6 0 0 -20 3",
    "cylinder 0 0 -20 0 0 -30 3",
    "Color 255 0 0",
    "cylinder 0 0 -30 0 0 -45 2",
    "sphere 0 0 -45 2",
    "hotspot 0 0 -45 0 0 1 2 15 shank",
    "endtip",
};

const QStringList kCubeRecord{
    "ITEM:W10MM M3ANALOG",
    "solid 6",
    "Color 142 142 142",
    "face 4 -5 5 0 5 5 0 5 -5 0 -5 -5 0",
    "face 4 -5 5 -10 5 5 -10 5 -5 -10 -5 -5 -10",
    "face 4 -5 5 0 5 5 0 5 5 -10 -5 5 -10",
    "face 4 -5 -5 0 5 -5 0 5 -5 -10 -5 -5 -10",
    "face 4 -5 5 0 -5 -5 0 -5 -5 -10 -5 5 -10",
    "face 4 5 5 0 5 -5 0 5 -5 -10 5 5 -10",
    "Connect 0 0 -10 0 0 1 M3ANALOG",
    "Connect 5 0 -5 -1 0 0 M3ANALOG",
    "Connect 0 5 -5 0 -1 0 M3ANALOG",
    "Connect -5 0 -5 1 0 0 M3ANALOG",
    "Connect 0 -5 -5 0 1 0 M3ANALOG",
};

QStringList replaced(QStringList lines, qsizetype index, const QString &line)
{
    lines[index] = line;
    return lines;
}

QStringList removed(QStringList lines, qsizetype index)
{
    lines.removeAt(index);
    return lines;
}

} // namespace

class TestRecords final : public QObject
{
    Q_OBJECT

private slots:
    void records_data();
    void records();
    void overflowWritesNothing_data();
    void overflowWritesNothing();
};

void TestRecords::records_data()
{
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<TipInputs>("inputs");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("expected");

    // The worked examples.
    QTest::newRow("ball") << TipKind::Ball << ballExample() << kEnglish << kBallRecord;
    QTest::newRow("cylinder") << TipKind::Cylinder << cylinderExample() << kEnglish << kCylinderRecord;
    {
        TipInputs in = cylinderExample();
        in.Check_zyl = true;
        QTest::newRow("cylinder without rounded end")
            << TipKind::Cylinder << in << kEnglish << removed(kCylinderRecord, 9);
    }
    QTest::newRow("half sphere") << TipKind::HalfSphere
                                 << stylus(QStringLiteral("HK1"), QStringLiteral("M3ANALOG"),
                                           {"10", "20", "30", "6", "3", "8"})
                                 << kEnglish
                                 << QStringList{"ITEM:HK1MM M3ANALOG",
                                                "begintip",
                                                "ribcount 10",
                                                "Color 0 0 0",
                                                "cylinder 0 0 0 0 0 -10 6",
                                                "cone 0 0 -10 6 0 0 -20 3",
                                                "cylinder 0 0 -20 0 0 -30 3",
                                                "Color 255 0 0",
                                                "cutsphere 0 0 -30 0 0 1 8 2 -10000",
                                                "hotspot 0 0 -30 0 0 1 8 8 ball",
                                                "endtip"};
    const QStringList discRecord{"ITEM:SC1MM M3ANALOG",
                                 "begintip",
                                 "ribcount 10",
                                 "Color 0 0 0",
                                 "cylinder 0 0 0 0 0 -10 6",
                                 "cone 0 0 -10 6 0 0 -20 3",
                                 "cylinder 0 0 -20 0 0 -28 3",
                                 "Color 255 0 0",
                                 "cylinder 0 0 -28 0 0 -30 12",
                                 "hotspot 0 0 -29 0 0 1 12 2 disk",
                                 "endtip"};
    QTest::newRow("disc") << TipKind::Disc << discExample(QStringLiteral("30"), QStringLiteral("2")) << kEnglish
                          << discRecord;
    QTest::newRow("cube") << TipKind::Cube << cube(QStringLiteral("10")) << kEnglish << kCubeRecord;
    const QStringList extensionRecord{"ITEM:V50MM M3ANALOG", "ribcount 10", "Color 142 142 142",
                                      "cylinder 0 0 0 0 0 -50 4", "connect  0  0 -50 0  0  1 M2ANALOG"};
    QTest::newRow("extension") << TipKind::Extension
                               << extension(QStringLiteral("4"), QStringLiteral("50"), QStringLiteral("M2ANALOG"))
                               << kEnglish << extensionRecord;

    // Under a German locale: computed numbers with a decimal comma, typed texts kept as typed.
    QTest::newRow("de cube 7,5") << TipKind::Cube << cube(QStringLiteral("7,5"), kGerman) << kGerman
                                 << QStringList{
                                        "ITEM:W10MM M3ANALOG",
                                        "solid 6",
                                        "Color 142 142 142",
                                        "face 4 -3,75 3,75 0 3,75 3,75 0 3,75 -3,75 0 -3,75 -3,75 0",
                                        "face 4 -3,75 3,75 -7,5 3,75 3,75 -7,5 3,75 -3,75 -7,5 -3,75 -3,75 -7,5",
                                        "face 4 -3,75 3,75 0 3,75 3,75 0 3,75 3,75 -7,5 -3,75 3,75 -7,5",
                                        "face 4 -3,75 -3,75 0 3,75 -3,75 0 3,75 -3,75 -7,5 -3,75 -3,75 -7,5",
                                        "face 4 -3,75 3,75 0 -3,75 -3,75 0 -3,75 -3,75 -7,5 -3,75 3,75 -7,5",
                                        "face 4 3,75 3,75 0 3,75 -3,75 0 3,75 -3,75 -7,5 3,75 3,75 -7,5",
                                        "Connect 0 0 -7,5 0 0 1 M3ANALOG",
                                        "Connect 3,75 0 -3,75 -1 0 0 M3ANALOG",
                                        "Connect 0 3,75 -3,75 0 -1 0 M3ANALOG",
                                        "Connect -3,75 0 -3,75 1 0 0 M3ANALOG",
                                        "Connect 0 -3,75 -3,75 0 1 0 M3ANALOG"};
    QTest::newRow("de cube 10,0 written as computed")
        << TipKind::Cube << cube(QStringLiteral("10,0"), kGerman) << kGerman << kCubeRecord;
    QTest::newRow("cube with a negative edge") << TipKind::Cube << cube(QStringLiteral("-10")) << kEnglish
                                               << QStringList{"ITEM:W10MM M3ANALOG",
                                                              "solid 6",
                                                              "Color 142 142 142",
                                                              "face 4 5 -5 0 -5 -5 0 -5 5 0 5 5 0",
                                                              "face 4 5 -5 10 -5 -5 10 -5 5 10 5 5 10",
                                                              "face 4 5 -5 0 -5 -5 0 -5 -5 10 5 -5 10",
                                                              "face 4 5 5 0 -5 5 0 -5 5 10 5 5 10",
                                                              "face 4 5 -5 0 5 5 0 5 5 10 5 -5 10",
                                                              "face 4 -5 -5 0 -5 5 0 -5 5 10 -5 -5 10",
                                                              "Connect 0 0 10 0 0 1 M3ANALOG",
                                                              "Connect -5 0 5 -1 0 0 M3ANALOG",
                                                              "Connect 0 -5 5 0 -1 0 M3ANALOG",
                                                              "Connect 5 0 5 1 0 0 M3ANALOG",
                                                              "Connect 0 5 5 0 1 0 M3ANALOG"};
    QTest::newRow("de disc with a fractional middle")
        << TipKind::Disc << discExample(QStringLiteral("30"), QStringLiteral("3"), kGerman) << kGerman
        << replaced(replaced(replaced(discRecord, 6, "cylinder 0 0 -20 0 0 -27 3"), 8, "cylinder 0 0 -27 0 0 -30 12"),
                    9, "hotspot 0 0 -28,5 0 0 1 12 3 disk");
    QTest::newRow("de extension 12,5 and D1 4,0")
        << TipKind::Extension
        << extension(QStringLiteral("4,0"), QStringLiteral("12,5"), QStringLiteral("M3ANALOG"), kGerman) << kGerman
        << QStringList{"ITEM:V50MM M3ANALOG", "ribcount 10", "Color 142 142 142", "cylinder 0 0 0 0 0 -12,5 4,0",
                       "connect  0  0 -12,5 0  0  1 M3ANALOG"};
    QTest::newRow("en extension 12.5") << TipKind::Extension
                                       << extension(QStringLiteral("4"), QStringLiteral("12.5"), QStringLiteral("M2"))
                                       << kEnglish
                                       << QStringList{"ITEM:V50MM M3ANALOG", "ribcount 10", "Color 142 142 142",
                                                      "cylinder 0 0 0 0 0 -12.5 4", "connect  0  0 -12.5 0  0  1 M2"};
    QTest::newRow("de extension 50,0 and typed blanks")
        << TipKind::Extension << extension(QStringLiteral(" 4,0 "), QStringLiteral("50,0"), QString(), kGerman)
        << kGerman
        << QStringList{"ITEM:V50MM M3ANALOG", "ribcount 10", "Color 142 142 142", "cylinder 0 0 0 0 0 -50  4,0 ",
                       "connect  0  0 -50 0  0  1 "};
    QTest::newRow("extension of length 0")
        << TipKind::Extension << extension(QStringLiteral("4"), QStringLiteral("0"), QStringLiteral("M2")) << kEnglish
        << QStringList{"ITEM:V50MM M3ANALOG", "ribcount 10", "Color 142 142 142", "cylinder 0 0 0 0 0 0 4",
                       "connect  0  0 0 0  0  1 M2"};
    QTest::newRow("extension of negative length")
        << TipKind::Extension << extension(QStringLiteral("4"), QStringLiteral("-50"), QStringLiteral("M2")) << kEnglish
        << QStringList{"ITEM:V50MM M3ANALOG", "ribcount 10", "Color 142 142 142", "cylinder 0 0 0 0 0 50 4",
                       "connect  0  0 50 0  0  1 M2"};

    // Which lines a stylus has.
    {
        TipInputs in = ballExample();
        in.L1 = dim(QStringLiteral("0"));
        in.L2 = dim(QStringLiteral("0"));
        in.D1 = dim(QStringLiteral("3"));
        in.D2 = dim(QStringLiteral("3"));
        QTest::newRow("straight ball stylus") << TipKind::Ball << in << kEnglish
                                              << QStringList{"ITEM:TIPMM M3",
                                                             "begintip",
                                                             "ribcount 10",
                                                             "Color 142 142 142",
                                                             "cylinder 0 0 0 0 0 -40 3",
                                                             "Color 255 0 0",
                                                             "sphere 0 0 -40 3",
                                                             "hotspot 0 0 -40 0 0 1 3 3 ball",
                                                             "endtip"};
    }
    {
        TipInputs in = ballExample();
        in.L1 = dim(QStringLiteral("0"));
        QTest::newRow("ball without upper cylinder")
            << TipKind::Ball << in << kEnglish << replaced(removed(kBallRecord, 4), 4, "cone 0 0 0 4 0 0 -15 2");
    }
    {
        TipInputs in = ballExample();
        in.L2 = dim(QStringLiteral("0"));
        QTest::newRow("ball cone back to the face")
            << TipKind::Ball << in << kEnglish
            << replaced(replaced(kBallRecord, 5, "cone 0 0 -10 4 0 0 0 2"), 6, "cylinder 0 0 0 0 0 -40 2");
    }
    {
        TipInputs in = ballExample();
        in.L2 = dim(QStringLiteral("0"));
        in.D2 = dim(QStringLiteral("4.0"));
        QTest::newRow("ball cone kept for different diameter texts")
            << TipKind::Ball << in << kEnglish
            << replaced(replaced(kBallRecord, 5, "cone 0 0 -10 4 0 0 0 4.0"), 6, "cylinder 0 0 0 0 0 -40 4.0");
    }
    {
        TipInputs in = ballExample();
        in.L2 = dim(QStringLiteral("0"));
        in.D2 = dim(QStringLiteral("4"));
        QTest::newRow("ball cone left out for equal texts")
            << TipKind::Ball << in << kEnglish << replaced(removed(kBallRecord, 5), 5, "cylinder 0 0 0 0 0 -40 4");
    }
    {
        TipInputs in = ballExample();
        in.D2 = dim(QStringLiteral("4"));
        QTest::newRow("ball cone of equal diameters")
            << TipKind::Ball << in << kEnglish
            << replaced(replaced(kBallRecord, 5, "cone 0 0 -10 4 0 0 -15 4"), 6, "cylinder 0 0 -15 0 0 -40 4");
    }
    {
        TipInputs in = ballExample();
        in.ball_diameter = dim(QStringLiteral("+3.0 "));
        QTest::newRow("ball diameter three times as typed")
            << TipKind::Ball << in << kEnglish
            << replaced(replaced(kBallRecord, 8, "sphere 0 0 -40 +3.0 "), 9, "hotspot 0 0 -40 0 0 1 +3.0  +3.0  ball");
    }
    {
        TipInputs in = cylinderExample(QStringLiteral("30"), QStringLiteral("25"));
        in.Check_zyl = true;
        QTest::newRow("cylinder pin running upwards")
            << TipKind::Cylinder << in << kEnglish
            << replaced(replaced(removed(kCylinderRecord, 9), 8, "cylinder 0 0 -30 0 0 -25 2"), 9,
                        "hotspot 0 0 -25 0 0 1 2 -5 shank");
    }
    {
        TipInputs in = cylinderExample();
        in.L1 = dim(QStringLiteral("0"));
        in.D2 = dim(QStringLiteral("6.0"));
        QTest::newRow("cylinder without upper cylinder, texts differ")
            << TipKind::Cylinder << in << kEnglish
            << replaced(replaced(removed(kCylinderRecord, 4), 4, "cone 0 0 0 6 0 0 -20 6.0"), 5,
                        "cylinder 0 0 -20 0 0 -30 6.0");
    }
    {
        TipInputs in = stylus(QStringLiteral("HK1"), QStringLiteral("M3ANALOG"), {"0", "0", "0", "3", "3", "8"});
        QTest::newRow("half sphere at the mounting face") << TipKind::HalfSphere << in << kEnglish
                                                          << QStringList{"ITEM:HK1MM M3ANALOG",
                                                                         "begintip",
                                                                         "ribcount 10",
                                                                         "Color 0 0 0",
                                                                         "Color 255 0 0",
                                                                         "cutsphere 0 0 0 0 0 1 8 2 -10000",
                                                                         "hotspot 0 0 0 0 0 1 8 8 ball",
                                                                         "endtip"};
    }
    {
        TipInputs in = stylus(QStringLiteral("HK1"), QStringLiteral("M3ANALOG"), {"0", "0", "30", "3", "3", "8"});
        QTest::newRow("half sphere neck from the face") << TipKind::HalfSphere << in << kEnglish
                                                        << QStringList{"ITEM:HK1MM M3ANALOG",
                                                                       "begintip",
                                                                       "ribcount 10",
                                                                       "Color 0 0 0",
                                                                       "cylinder 0 0 0 0 0 -30 3",
                                                                       "Color 255 0 0",
                                                                       "cutsphere 0 0 -30 0 0 1 8 2 -10000",
                                                                       "hotspot 0 0 -30 0 0 1 8 8 ball",
                                                                       "endtip"};
    }
    {
        TipInputs in = stylus(QStringLiteral("HK1"), QStringLiteral("M3ANALOG"), {"10", "20", "0", "6", "3", "8"});
        QTest::newRow("half sphere neck back to the face") << TipKind::HalfSphere << in << kEnglish
                                                           << QStringList{"ITEM:HK1MM M3ANALOG",
                                                                          "begintip",
                                                                          "ribcount 10",
                                                                          "Color 0 0 0",
                                                                          "cylinder 0 0 0 0 0 -10 6",
                                                                          "cone 0 0 -10 6 0 0 -20 3",
                                                                          "cylinder 0 0 -20 0 0 0 3",
                                                                          "Color 255 0 0",
                                                                          "cutsphere 0 0 0 0 0 1 8 2 -10000",
                                                                          "hotspot 0 0 0 0 0 1 8 8 ball",
                                                                          "endtip"};
    }
    {
        TipInputs in = stylus(QStringLiteral("HK1"), QStringLiteral("M3ANALOG"), {"10", "0", "0", "6", "6.0", "8"});
        QTest::newRow("half sphere cone and neck for different texts")
            << TipKind::HalfSphere << in << kEnglish
            << QStringList{"ITEM:HK1MM M3ANALOG",
                           "begintip",
                           "ribcount 10",
                           "Color 0 0 0",
                           "cylinder 0 0 0 0 0 -10 6",
                           "cone 0 0 -10 6 0 0 0 6.0",
                           "cylinder 0 0 0 0 0 0 6.0",
                           "Color 255 0 0",
                           "cutsphere 0 0 0 0 0 1 8 2 -10000",
                           "hotspot 0 0 0 0 0 1 8 8 ball",
                           "endtip"};
    }
    QTest::newRow("disc of no thickness")
        << TipKind::Disc << discExample(QStringLiteral("30"), QStringLiteral("0")) << kEnglish
        << replaced(replaced(replaced(discRecord, 6, "cylinder 0 0 -20 0 0 -30 3"), 8, "cylinder 0 0 -30 0 0 -30 12"),
                    9, "hotspot 0 0 -30 0 0 1 12 0 disk");
    QTest::newRow("disc thicker than its depth")
        << TipKind::Disc << discExample(QStringLiteral("2"), QStringLiteral("6")) << kEnglish
        << replaced(replaced(replaced(discRecord, 6, "cylinder 0 0 -20 0 0 4 3"), 8, "cylinder 0 0 4 0 0 -2 12"), 9,
                    "hotspot 0 0 1 0 0 1 12 6 disk");
}

void TestRecords::records()
{
    QFETCH(TipKind, kind);
    QFETCH(TipInputs, inputs);
    QFETCH(QLocale, locale);
    QFETCH(QStringList, expected);

    const auto record = buildRecord(kind, inputs, locale);
    QVERIFY(record);
    QCOMPARE(record->lines, expected);

    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    ProbeFileWriter writer;
    QVERIFY2(writer.append(folder.path(), *record), qPrintable(writer.errorString()));
    QCOMPARE(readAll(folder.filePath(QStringLiteral("usrprobe.dat"))), crlf(expected));
}

void TestRecords::overflowWritesNothing_data()
{
    QTest::addColumn<TipKind>("kind");
    QTest::addColumn<TipInputs>("inputs");

    TipInputs shank = cylinderExample(QStringLiteral("-1e308"), QStringLiteral("1e308"));
    QTest::newRow("shank length") << TipKind::Cylinder << shank;
    QTest::newRow("disc top") << TipKind::Disc << discExample(QStringLiteral("1e308"), QStringLiteral("-1e308"));
    QTest::newRow("disc middle") << TipKind::Disc << discExample(QStringLiteral("-1.7e308"), QStringLiteral("1.7e308"));

    // Computed numbers that are finite themselves but whose 15-digit text reads back as infinity.
    QTest::newRow("disc width at the largest double")
        << TipKind::Disc << discExample(QStringLiteral("0"), QStringLiteral("1.7976931348623157e308"));
    TipInputs halfSphere = stylus(QStringLiteral("HK"), QStringLiteral("M3"), {"10", "20", "30", "6", "3", "4"});
    const struct
    {
        const char *name;
        TipKind kind;
        TipInputs inputs;
        QList<Dimension TipInputs::*> lengths;
    } kinds[] = {
        {"ball", TipKind::Ball, ballExample(), {&TipInputs::L1, &TipInputs::L2, &TipInputs::L3}},
        {"cylinder",
         TipKind::Cylinder,
         cylinderExample(),
         {&TipInputs::L1, &TipInputs::L2, &TipInputs::L3, &TipInputs::L4}},
        {"half sphere", TipKind::HalfSphere, halfSphere, {&TipInputs::L1, &TipInputs::L2, &TipInputs::L3}},
        {"disc",
         TipKind::Disc,
         discExample(QStringLiteral("30"), QStringLiteral("2")),
         {&TipInputs::L1, &TipInputs::L2, &TipInputs::L3, &TipInputs::width}},
        {"cube", TipKind::Cube, cube(QStringLiteral("10")), {&TipInputs::L1}},
        {"extension",
         TipKind::Extension,
         extension(QStringLiteral("4"), QStringLiteral("50"), "M3"),
         {&TipInputs::length}},
    };
    for (const auto &kind : kinds) {
        for (qsizetype i = 0; i < kind.lengths.size(); ++i) {
            // The largest double, its negation, and a double whose 15 digits round up past it.
            for (const char *huge : {"1.7976931348623157e308", "-1.7976931348623157e308", "1.7976931348623155e308"}) {
                TipInputs in = kind.inputs;
                in.*kind.lengths[i] = dim(QString::fromLatin1(huge));
                QTest::addRow("%s, length %lld = %s", kind.name, qlonglong(i + 1), huge) << kind.kind << in;
            }
        }
    }
}

void TestRecords::overflowWritesNothing()
{
    QFETCH(TipKind, kind);
    QFETCH(TipInputs, inputs);
    QVERIFY(!buildRecord(kind, inputs, kEnglish));
}

QTEST_GUILESS_MAIN(TestRecords)
#include "tst_records.moc"
