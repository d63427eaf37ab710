// The value finder through the tools window, FreeTDS and the test server.
#include "ToolsFixture.h"

#include <QCheckBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

namespace {

class Finder : public ToolsFixture
{
protected:
    QString find(const QString& database, const QString& text, bool findAll)
    {
        finderOn(database, text);
        form->Check3->setChecked(findAll);
        form->Command10_Click();
        return form->Text29->toPlainText();
    }
};

TEST_F(Finder, CancelStopsTheSearchAndKeepsTheHitsFoundSoFar)
{
    QByteArray sql = "CREATE TABLE many (id INTEGER, v TEXT);";
    for (int i = 0; i < 300; ++i)
        sql += "INSERT INTO many VALUES (" + QByteArray::number(i) + ", 'Smith');";
    const QString db = database(one, QStringLiteral("many"), sql.constData());
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, form.get(), [&] {
        if (form->Text29->toPlainText().count("Found") >= 3 && form->Command10->text() == "Cancel") {
            form->Text28->clear(); // whatever the boxes hold meanwhile
            form->Command10_Click();
        }
    });
    poll.start(0);
    const QString hits = find(db, QStringLiteral("Smith"), true);
    poll.stop();
    const qsizetype found = hits.count("Found Data in Table:[dbo].[many]");
    EXPECT_GE(found, 3);
    EXPECT_LT(found, 300);
    EXPECT_EQ(form->Label39->text(), "Complete");
    EXPECT_EQ(form->Command10->text(), "&Find");
    EXPECT_TRUE(dialogs.take().isEmpty());
}

} // namespace
