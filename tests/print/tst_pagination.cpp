#include "print/core/Pagination.h"

#include <QTest>

class TestPagination : public QObject
{
    Q_OBJECT
private slots:
    void pageCount_data();
    void pageCount();
    void pageStart_data();
    void pageStart();
    void pageRows_data();
    void pageRows();
    void pagesCoverEveryRowOnce();
};

void TestPagination::pageCount_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    QTest::newRow("empty") << 0 << 1;
    QTest::newRow("one") << 1 << 1;
    QTest::newRow("26: summary fills the first page") << 26 << 1;
    QTest::newRow("27: summary on page 2") << 27 << 2;
    QTest::newRow("first page full") << 29 << 2;
    QTest::newRow("30th row starts page 2") << 30 << 2;
    QTest::newRow("56: summary fills page 2") << 56 << 2;
    QTest::newRow("57") << 57 << 3;
    QTest::newRow("page 2 full") << 59 << 3;
    QTest::newRow("60") << 60 << 3;
    QTest::newRow("89: page 3 full") << 89 << 4;
    QTest::newRow("90: last page one row") << 90 << 4;
    QTest::newRow("1000") << 1000 << 34;
}

void TestPagination::pageCount()
{
    QFETCH(int, rows);
    QFETCH(int, pages);
    QCOMPARE(Pagination::pageCount(rows), pages);
}

void TestPagination::pageStart_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("start");
    QTest::newRow("1") << 1 << 0;
    QTest::newRow("2") << 2 << 29;
    for (int p = 3; p <= 6; ++p) {
        QTest::addRow("%d", p) << p << 30 * p - 31;
    }
}

void TestPagination::pageStart()
{
    QFETCH(int, page);
    QFETCH(int, start);
    QCOMPARE(Pagination::pageStart(page), start);
}

void TestPagination::pageRows_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("onPage");
    QTest::newRow("one row") << 1 << 1 << 1;
    QTest::newRow("first of 29") << 1 << 29 << 29;
    QTest::newRow("first of 90") << 1 << 90 << 29;
    QTest::newRow("third of 90") << 3 << 90 << 30;
    QTest::newRow("last of 90") << 4 << 90 << 1;
    QTest::newRow("summary page of 29") << 2 << 29 << 0;
    QTest::newRow("beyond") << 5 << 90 << 0;
}

void TestPagination::pageRows()
{
    QFETCH(int, page);
    QFETCH(int, rows);
    QFETCH(int, onPage);
    QCOMPARE(Pagination::pageRows(page, rows), onPage);
}

void TestPagination::pagesCoverEveryRowOnce()
{
    for (int rows = 1; rows <= 200; ++rows) {
        const int pages = Pagination::pageCount(rows);
        int next = 0;
        for (int p = 1; p <= pages; ++p) {
            const int onPage = Pagination::pageRows(p, rows);
            if (onPage == 0) {
                QVERIFY(p == pages && p > 1); // only a summary's own page holds no row
                continue;
            }
            QCOMPARE(Pagination::pageStart(p), next);
            next += onPage;
        }
        QCOMPARE(next, rows);
        // The last page has room for the summary, and the one before it did not.
        const int capacity = pages == 1 ? Pagination::kFirstPageRows : Pagination::kLaterPageRows;
        QVERIFY(Pagination::pageRows(pages, rows) + Pagination::kSummaryRows <= capacity);
        if (Pagination::pageRows(pages, rows) == 0) {
            const int before = pages == 2 ? Pagination::kFirstPageRows : Pagination::kLaterPageRows;
            QVERIFY(Pagination::pageRows(pages - 1, rows) + Pagination::kSummaryRows > before);
        }
    }
}

QTEST_GUILESS_MAIN(TestPagination)
#include "tst_pagination.moc"
