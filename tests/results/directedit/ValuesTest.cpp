// What each engine gives back, exactly as written: NULL apart from '', text beyond ASCII (a
// leading byte-order mark is data too) written as a literal and as a parameter, and a 200 KB text
// between other columns, on every engine the grid reads.
#include "tests/support/DirectEditFixture.h"

namespace detest {
namespace {

using Values = DirectEditTest;

TEST_P(Values, ComeBackExactlyAsWritten)
{
    const Kind kind = GetParam();
    const bool sqlServer = kind == Kind::SqlServer;
    const QString n = sqlServer ? "N" : QString();
    const QString longText = sqlServer ? "NVARCHAR(MAX)" : isMariaDb(kind) ? "LONGTEXT" : "TEXT";
    const QString text = "\uFEFF\u041F\u0440\u0438\u0432\u0435\u0442, \u4E16\u754C \U0001F600 \u00E4\u00E4k";
    QString big;
    for (int i = 0; big.size() < 200 * 1024; ++i)
        big += QStringLiteral("%1 \u041C\u0438\u0440 \U0001F600 ").arg(i, 6, 10, QLatin1Char('0'));
    database().run(
        {QStringLiteral(
             "CREATE TABLE vals (id INT PRIMARY KEY, s %1VARCHAR(100), body %2, after_ VARCHAR(10))")
             .arg(n, longText),
         QStringLiteral("INSERT INTO vals VALUES (1, %1'%2', NULL, 'y')").arg(n, text),
         "INSERT INTO vals VALUES (2, '', '', NULL)"});
    auto connection = database().connect();
    EXPECT_EQ(connection->backend()->executeUpdate("INSERT INTO vals VALUES (?, ?, ?, ?)",
                                                   {QStringLiteral("3"), text, big, QStringLiteral("z")}),
              1);

    // Row by row, cells joined by "|", NULL as "<null>"; the 200 KB text is compared, not printed.
    db::Recordset set = connection->Execute("SELECT s, body, after_ FROM vals ORDER BY id");
    QStringList rows;
    for (; !set.Eof(); set.MoveNext()) {
        QStringList cells;
        for (int c = 0; c < 3; ++c)
            cells << (set.Fields().Item(c).isNull() ? "<null>" : set.Fields().Item(c).Value().toString());
        // What the grid and the plain text take.
        const std::string_view bytes = set.cellUtf8(0);
        EXPECT_EQ(QByteArray(bytes.data(), qsizetype(bytes.size())), cells[0].toUtf8());
        rows << cells.join(u'|');
    }
    const QStringList expected{text + "|<null>|y", "||<null>", text + '|' + big + "|z"};
    EXPECT_EQ(rows.mid(0, 2), expected.mid(0, 2)) << "'' is no NULL";
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[2] == expected[2]) << "through a parameter, with the 200 KB text";

    // The server holds characters, not bytes read back the same wrong way.
    if (!sqlServer) {
        const QString length = isMariaDb(kind) ? "CHAR_LENGTH" : "LENGTH";
        EXPECT_EQ(database().rows(QStringLiteral("SELECT %1(s) FROM vals WHERE id IN (1, 3)").arg(length)),
                  QStringList(2, QString::number(text.toUcs4().size())));
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, Values, kEveryEngine, kindName);

} // namespace
} // namespace detest
