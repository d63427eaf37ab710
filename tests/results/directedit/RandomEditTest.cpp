// A keyless table whose rows differ only by case or trailing blanks, with true duplicates among
// them, gets a random sequence of edits, deletes and Undos through the model. After each step
// the table holds what the user did to the rows the grid showed, or, where the step was refused,
// what it held before. The random start value is printed; QUORVANE_RANDOM_START repeats a run.
#include "tests/support/DirectEditFixture.h"

#include <algorithm>

namespace detest {
namespace {

using RandomEdits = DirectEditTest;

TEST_P(RandomEdits, TheTableIsAlwaysWhatTheUserDid)
{
    const quint32 start = qEnvironmentVariableIsSet("QUORVANE_RANDOM_START")
                              ? quint32(qEnvironmentVariableIntValue("QUORVANE_RANDOM_START"))
                              : QRandomGenerator::global()->generate();
    std::cout << "QUORVANE_RANDOM_START=" << start << std::endl;
    SCOPED_TRACE(::testing::Message() << "QUORVANE_RANDOM_START=" << start);
    QRandomGenerator random(start);
    const QStringList words{"a", "A", "a ", "b", "B "};
    const auto pick = [&](const QStringList& from) { return from[int(random.bounded(int(from.size())))]; };

    database().createFoldingTable("pile (w VARCHAR(10), n INT)");
    database().run({"INSERT INTO pile (w, n) VALUES ('a', 1), ('a', 1)"}); // a true duplicate
    for (int i = 0; i < 6; ++i)
        database().run({QStringLiteral("INSERT INTO pile (w, n) VALUES ('%1', %2)")
                            .arg(pick(words))
                            .arg(random.bounded(2))});

    const auto table = [&] {
        QStringList rows = database().rows("SELECT w, n FROM pile");
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    QStringList expected = table();
    auto model = openWritable("SELECT w, n FROM pile");
    const auto shown = [&](int r) {
        return model->data(model->index(r, 0)).toString() + QLatin1Char('|') +
               model->data(model->index(r, 1)).toString();
    };

    for (int step = 0; step < 40 && model->rowCount() > 0 && !HasFailure(); ++step) {
        const int r = int(random.bounded(model->rowCount()));
        const int col = int(random.bounded(2));
        const QString before = shown(r);
        const int action = int(random.bounded(3));
        bool done = false;
        if (action == 0)
            done = model->setData(model->index(r, col),
                                  col == 0 ? pick(words) : QString::number(random.bounded(3)));
        else if (action == 1)
            done = model->removeRows(r, 1);
        else
            done = model->restoreFetched(model->index(r, col));
        SCOPED_TRACE(::testing::Message() << "step " << step << ", action " << action << " on row " << r
                                          << " showing '" << before.toStdString() << "'");

        // A step is done silently, or refused with a message and nothing written.
        EXPECT_EQ(dialogs_.takeMessages().isEmpty(), done);
        if (done) {
            expected.removeOne(before);
            if (action != 1)
                expected << shown(r);
            std::sort(expected.begin(), expected.end());
        }
        EXPECT_EQ(table(), expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Engines, RandomEdits, kEveryEngine, kindName);

} // namespace
} // namespace detest
