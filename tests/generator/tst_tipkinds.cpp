// The table of kinds held against the editor's layout per kind, which this test writes out
// itself as the layout gives it, so that a wrong table cannot pass by being read on both sides.
#include "TipKinds.h"

#include <QTest>

#include <optional>

using namespace merivox;

namespace {

// One row of the layout: an input and its state for ball 1, cylinder 2, half sphere 3, disc 4,
// cube 5 and extension 6 (E enabled, D disabled; for "ohne Halbkugel" S shown, H hidden).
// The name and the first thread are enabled for every kind.
struct LayoutRow
{
    const char *input;
    std::optional<DimensionField> field;
    const char *perKind;
};
const LayoutRow kLayout[] = {
    {"cb_gew2", {}, "DDDDDE"},
    {"txt_L1", DimensionField::L1, "EEEEED"},
    {"txt_l2", DimensionField::L2, "EEEEDD"},
    {"txt_l3", DimensionField::L3, "EEEEDD"},
    {"txt_l4", DimensionField::L4, "DEDDDD"},
    {"txt_d1", DimensionField::D1, "EEEEDE"},
    {"txt_d2", DimensionField::D2, "EEEEDD"},
    {"txt_kd", DimensionField::BallDiameter, "EEEDDD"},
    {"txt_l", DimensionField::Length, "DDDEDE"},
    {"txt_b", DimensionField::Width, "DDDEDD"},
    {"Check_zyl", {}, "HSHHHH"},
};

} // namespace

class TestTipKinds final : public QObject
{
    Q_OBJECT

private slots:
    void tableMatchesTheLayout_data();
    void tableMatchesTheLayout();
    void kindsAreTriedInOrder();
};

void TestTipKinds::tableMatchesTheLayout_data()
{
    QTest::addColumn<int>("code");
    int code = 0;
    for (const char *name : {"ball", "cylinder", "half sphere", "disc", "cube", "extension"}) {
        QTest::newRow(name) << ++code;
    }
}

void TestTipKinds::tableMatchesTheLayout()
{
    QFETCH(int, code);
    const TipKindDescription *kind = findTipKind(TipKind(code));
    QVERIFY(kind);
    // Both sides as "input=state" words, so that a failure names the input.
    QStringList expected, program;
    for (const LayoutRow &row : kLayout) {
        const QString input = QString::fromLatin1(row.input) + u'=';
        expected << input + QChar::fromLatin1(row.perKind[code - 1]);
        const bool on = row.field                                ? kind->dimensions.contains(*row.field)
                        : row.input == QByteArrayView("cb_gew2") ? kind->secondThread
                                                                 : kind->withoutHalfSphere;
        const char *states = row.input == QByteArrayView("Check_zyl") ? "HS" : "DE";
        program << input + QChar::fromLatin1(states[on]);
    }
    QCOMPARE(program, expected);
}

void TestTipKinds::kindsAreTriedInOrder()
{
    QList<int> codes;
    for (const TipKindDescription &kind : kTipKinds) {
        codes << int(kind.kind);
    }
    QCOMPARE(codes, (QList<int>{1, 2, 3, 4, 6, 5}));
}

QTEST_GUILESS_MAIN(TestTipKinds)
#include "tst_tipkinds.moc"
