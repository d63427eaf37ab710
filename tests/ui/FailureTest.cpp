#include "ui/Failure.h"

#include "tests/support/ScriptedDialogs.h"
#include "ui/TextFile.h"

#include <functional>
#include <gtest/gtest.h>
#include <new>
#include <stdexcept>

namespace {

// An error of a lower folder, with a number of its own.
struct NumberedError : std::exception
{
    qint32 number;
    QString description;
    NumberedError(qint32 n, QString d) : number(n), description(std::move(d)) {}
};

// An error whose text is a complete message.
struct MessageError : std::exception
{
    QString message;
    explicit MessageError(QString m) : message(std::move(m)) {}
};

} // namespace

TEST(Failure, EveryKindOfFailureBecomesOneReportAndNothingLeavesTheGuard)
{
    struct Case
    {
        std::function<void()> thrower;
        QString report;
    } cases[] = {
        {[] { throw NumberedError(-2147217843, QStringLiteral("Login failed")); },
         "-2147217843\r\nLogin failed"},
        {[] { throw MessageError(QStringLiteral("The store refused the write")); },
         "The store refused the write"},
        {[] { throw ui::FileError(13, QStringLiteral("Permission denied")); }, "13\r\nPermission denied"},
        {[] { throw std::bad_alloc(); }, "7\r\nOut of memory"},
        {[] { throw std::runtime_error("The grid changed"); }, "The grid changed"},
        {[] { throw 42; }, "-2147467259\r\nUnspecified error"},
    };
    qvtest::ScriptedDialogs dialogs;
    for (const Case& c : cases) {
        EXPECT_FALSE((ui::guarded<NumberedError, MessageError>(c.thrower)));
        EXPECT_EQ(dialogs.takeMessages(), QStringList{c.report});
    }
    // Numbered errors not named are messages of their own; a command that runs through
    // reports nothing.
    int reports = 0;
    ui::guarded([] { throw NumberedError(1, QStringLiteral("plain")); },
                [&](const ui::Failure& f) { reports += f.number ? 100 : 1; });
    EXPECT_TRUE(ui::guarded([] {}, [&](const ui::Failure&) { ++reports; }));
    EXPECT_EQ(reports, 1);
}
