// Window placement keys: how they read back, how they are written, and how a saved
// window is kept where the user can reach it.
#include <QtTest>

#include "common/IniFile.h"
#include "shell/WindowPlacement.h"

using namespace sonkora;

namespace {

QVector<int> Numbers(const char* text, size_t count) {
    const auto numbers = ParseNumberList(text, count);
    return QVector<int>(numbers.begin(), numbers.end());
}

}  // namespace

class WindowGeometryTest : public QObject {
    Q_OBJECT

private slots:
    void NumberListsReadItemByItem_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("count");
        QTest::addColumn<QVector<int>>("expected");
        QTest::newRow("four numbers") << "10,20,610,420" << 4 << QVector<int>{10, 20, 610, 420};
        QTest::newRow("only two of four") << "5,6" << 4 << QVector<int>{5, 6, 0, 0};
        QTest::newRow("extra items ignored") << "1,2,3" << 2 << QVector<int>{1, 2};
        QTest::newRow("empty and bad items are 0") << ",x,7,-3" << 4 << QVector<int>{0, 0, 7, -3};
        QTest::newRow("empty text") << "" << 2 << QVector<int>{0, 0};
        QTest::newRow("trailing comma") << "4," << 2 << QVector<int>{4, 0};
    }
    void NumberListsReadItemByItem() {
        QFETCH(QString, text);
        QFETCH(int, count);
        QFETCH(QVector<int>, expected);
        QCOMPARE(Numbers(text.toLatin1().constData(), static_cast<size_t>(count)), expected);
    }

    void ShowStateReadsDecimalAndHexadecimal() {
        QCOMPARE(ParseShowState("3", 1), 3);
        QCOMPARE(ParseShowState("0x2", 1), 2);
        QCOMPARE(ParseShowState("0X3", 1), 3);
        QCOMPARE(ParseShowState("max", 1), 1);
        QCOMPARE(ParseShowState("", 3), 3);
    }

    void PlacementKeysRoundTripUnderTheirPrefix() {
        WindowPlacement placement;
        placement.ShowCmd = ShowState::Maximized;
        placement.SetNormalRect(QRect(10, 20, 600, 400));
        placement.MinPosition = QPoint(3, 4);
        IniFile ini;
        WritePlacement(ini, "View2", placement);
        QCOMPARE(QString::fromStdString(ini.ToString()),
                 QStringLiteral("[ViewSettings]\nView2State=3\nView2NormalGeometry=10,20,610,420\n"
                                "View2MaxGeometry=-1,-1\nView2MinGeometry=3,4\n"));
        const WindowPlacement back = ReadPlacement(ini, "View2", 1, "-1,-1,-1,-1");
        QCOMPARE(back.ShowCmd, 3);
        QCOMPARE(back.NormalRect(), QRect(10, 20, 600, 400));
        QCOMPARE(back.MinPosition, QPoint(3, 4));
    }

    void MalformedStoredValuesReadAsDefaultsAndZeros() {
        IniFile ini;
        ini.LoadFromString("[ViewSettings]\nView1State=big\nView1NormalGeometry=5,6\n");
        const WindowPlacement placement = ReadPlacement(ini, "View1", 1, "-1,-1,-1,-1");
        QCOMPARE(placement.ShowCmd, 1);
        QCOMPARE(placement.Left, 5);
        QCOMPARE(placement.Top, 6);
        QCOMPARE(placement.Right, 0);
        QCOMPARE(placement.Bottom, 0);
    }

    void WindowsOffTheAreaComeBackOntoIt() {
        const QRect area(0, 0, 1000, 700);
        // Entirely beyond the right edge (a second screen that is gone).
        QCOMPARE(KeepOnArea(QRect(2500, 100, 400, 300), area), QRect(600, 100, 400, 300));
        // Above the top: the title bar must be reachable.
        QCOMPARE(KeepOnArea(QRect(100, -50, 400, 300), area), QRect(100, 0, 400, 300));
        // Larger than the area: shrunk to it.
        QCOMPARE(KeepOnArea(QRect(0, 0, 3000, 2000), area), area);
        // Half off the left edge but well visible: left as it is.
        QCOMPARE(KeepOnArea(QRect(-100, 50, 400, 300), area), QRect(-100, 50, 400, 300));
        // No size at all: nothing to keep, returned unchanged.
        QCOMPARE(KeepOnArea(QRect(QPoint(5, 6), QPoint(4, 5)), area), QRect(QPoint(5, 6), QPoint(4, 5)));
    }
};

QTEST_MAIN(WindowGeometryTest)
#include "window_geometry_test.moc"
