// Window placement keys: how their values read back, and how a saved window is kept
// where the user can reach it (the keys' round trip is the main window's session test).
#include <QtTest>

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
        for (auto [text, state] : {std::pair{"3", 3}, {"0x2", 2}, {"0X3", 3}, {"max", 1}, {"", 1}})
            QCOMPARE(ParseShowState(text, 1), state);
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
