// Direct Edit through the main window, as the user works in the data grid: typing into a cell,
// deleting selected rows with the Delete key, the right button's UndoMenu and its Undo, with
// Read Only and Read/Write, on a real SQLite file.
#include "results/DataGridDelegate.h"
#include "results/RecordsetModel.h"
#include "tests/support/FormFixture.h"
#include "tests/support/SqliteFiles.h"

#include <QClipboard>

namespace {

constexpr const char* kShop = R"sql(
CREATE TABLE items (id INTEGER PRIMARY KEY, name TEXT NOT NULL CHECK (name <> ''), note TEXT);
INSERT INTO items VALUES (1, 'Tee', 'grün');
INSERT INTO items VALUES (2, 'Kaffee', NULL);
INSERT INTO items VALUES (3, 'Kakao', 'heiß');
)sql";

class DirectEditWindow : public FormFixture
{
protected:
    void SetUp() override
    {
        shop = files.create("shop.sqlite", kShop);
        FormFixture::SetUp();
        form->show();
        QApplication::processEvents();

        useSqlite(shop);
        form->DirectEdit_Click();
        run(QStringLiteral("select id, name, note from items order by id"));
        ASSERT_TRUE(dialogs.take().isEmpty());
        ASSERT_FALSE(form->Frame4->isHidden());
        ASSERT_NE(model(), nullptr);
        ASSERT_EQ(model()->rowCount(), 3);
    }

    void TearDown() override
    {
        form->UndoMenu->hide();
        FormFixture::TearDown();
    }

    results::RecordsetModel* model() const
    {
        return qobject_cast<results::RecordsetModel*>(form->DataGrid1->model());
    }

    void readWrite()
    {
        form->Option5->setChecked(true);
        form->Option5_Click();
    }

    // Starts editing the cell as a double click would; the editor, or nullptr when the grid
    // opens none.
    QLineEdit* startEditing(int row, int col)
    {
        const QModelIndex cell = model()->index(row, col);
        form->DataGrid1->setCurrentIndex(cell);
        form->DataGrid1->edit(cell);
        return qobject_cast<QLineEdit*>(form->DataGrid1->indexWidget(cell));
    }

    // Types text over the cell's value and presses Enter.
    void type(int row, int col, const QString& text)
    {
        QLineEdit* editor = startEditing(row, col);
        ASSERT_NE(editor, nullptr) << "no editor opened";
        editor->setText(text);
        editor->setModified(true); // as typing leaves it
        press(editor, Qt::Key_Return);
    }

    // The file's rows as id|name|note, NULL as <null>.
    QStringList itemsInFile() const
    {
        return SqliteFiles::scalar(shop,
                                   "SELECT group_concat(r, ';') FROM (SELECT id || '|' || name || '|' || "
                                   "coalesce(note, '<null>') AS r FROM items ORDER BY id)")
            .split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }

    SqliteFiles files;
    QString shop;
};

const QStringList fetched{QStringLiteral("1|Tee|grün"), QStringLiteral("2|Kaffee|<null>"),
                          QStringLiteral("3|Kakao|heiß")};

TEST_F(DirectEditWindow, ReadWriteWritesATypedCellAndDeletesTheSelectedRows)
{
    readWrite();

    type(0, 2, QStringLiteral("schwarz"));
    EXPECT_EQ(model()->index(0, 2).data().toString(), QStringLiteral("schwarz"));
    EXPECT_EQ(itemsInFile()[0], QStringLiteral("1|Tee|schwarz"));

    form->DataGrid1->clearSelection();
    form->DataGrid1->selectionModel()->select(QItemSelection(model()->index(1, 0), model()->index(2, 0)),
                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
    // Ctrl+C copies the selected cells under their column names, null and '' alike empty.
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(form->DataGrid1, &copy);
    EXPECT_EQ(QGuiApplication::clipboard()->text(),
              QStringLiteral("id\tname\tnote\r\n2\tKaffee\t\r\n3\tKakao\theiß\r\n"));

    // The delete asks first, with No as the default; No deletes nothing.
    for (const ui::Answer answer : {ui::Answer::No, ui::Answer::Yes}) {
        dialogs.answer(answer);
        press(form->DataGrid1, Qt::Key_Delete);
        const QList<qvtest::ShownDialog> asked = dialogs.take();
        ASSERT_EQ(asked.size(), 1);
        EXPECT_EQ(asked[0].kind, qvtest::ShownDialog::Question);
        EXPECT_TRUE(asked[0].defaultNo);
        EXPECT_EQ(asked[0].text, QStringLiteral("Delete 2 rows from items? This cannot be undone."));
        EXPECT_EQ(model()->rowCount(), answer == ui::Answer::No ? 3 : 1);
    }
    EXPECT_EQ(itemsInFile(), QStringList{QStringLiteral("1|Tee|schwarz")});

    // A cell that is only current, not a selected row, is not deleted by the key.
    form->DataGrid1->setCurrentIndex(model()->index(0, 1));
    form->DataGrid1->selectionModel()->clearSelection();
    press(form->DataGrid1, Qt::Key_Delete);
    EXPECT_EQ(model()->rowCount(), 1);
}

// The grid a run leaves opens no editor and deletes nothing. Read/Write, the right button pops up
// UndoMenu and its Undo puts the fetched value back; made Read Only again after an edit, the grid
// refuses Undo with a message.
TEST_F(DirectEditWindow, TheRightButtonsUndoPutsTheFetchedValueBackAndReadOnlyRefusesIt)
{
    EXPECT_EQ(startEditing(0, 1), nullptr);
    form->DataGrid1->selectRow(1);
    press(form->DataGrid1, Qt::Key_Delete);
    EXPECT_EQ(model()->rowCount(), 3);
    EXPECT_EQ(itemsInFile(), fetched);
    EXPECT_TRUE(dialogs.take().isEmpty());

    readWrite();
    type(1, 1, QStringLiteral("Espresso"));
    type(1, 1, QStringLiteral("Mokka"));
    ASSERT_EQ(itemsInFile()[1], QStringLiteral("2|Mokka|<null>"));

    // The left button shows no menu.
    click(form->DataGrid1, model()->index(0, 0), Qt::LeftButton);
    EXPECT_FALSE(form->UndoMenu->isVisible());
    form->DataGrid1->setCurrentIndex(model()->index(1, 1));

    // The right button pops the menu up and returns at once; the current cell stays.
    click(form->DataGrid1, model()->index(2, 2), Qt::RightButton);
    EXPECT_TRUE(form->UndoMenu->isVisible());
    EXPECT_EQ(form->UndoMenu->actions(), QList<QAction*>{form->Undo});
    EXPECT_EQ(form->DataGrid1->currentIndex(), model()->index(1, 1));

    // Undo puts back what was fetched, never what the result grid holds: its row 2 deleted
    // there has moved row 3 up.
    form->MSFlexGrid1->selectRange(2, 0, 2, form->MSFlexGrid1->Cols() - 1);
    form->DeleteRow_Click();
    form->Undo->trigger();
    form->UndoMenu->hide();

    EXPECT_EQ(itemsInFile(), fetched);
    EXPECT_EQ(model()->index(1, 1).data().toString(), QStringLiteral("Kaffee"));
    EXPECT_TRUE(dialogs.take().isEmpty());

    type(0, 1, QStringLiteral("Grüner Tee"));
    form->Option4->setChecked(true);
    form->Option4_Click();
    form->DataGrid1->setCurrentIndex(model()->index(0, 1));
    form->Undo->trigger();
    EXPECT_EQ(
        dialogs.takeMessages(),
        QStringList{QStringLiteral("The data grid is read only: choose Read/Write to change the database.")});
    EXPECT_EQ(itemsInFile()[0], QStringLiteral("1|Grüner Tee|grün"));
    EXPECT_EQ(model()->index(0, 1).data().toString(), QStringLiteral("Grüner Tee"));
}

// NULL and the empty text are told apart: an editor left unchanged writes nothing, Ctrl+0 (in
// the editor or on the cell) writes NULL, an emptied editor writes the empty text.
TEST_F(DirectEditWindow, NullAndTheEmptyTextAreWrittenOnlyWhenMeant)
{
    readWrite();
    const QModelIndex nullNote = model()->index(1, 2);
    bool dimmed = false;
    EXPECT_EQ(results::DataGridDelegate::shownText(nullNote, &dimmed), QStringLiteral("NULL"));
    EXPECT_TRUE(dimmed);
    EXPECT_TRUE(nullNote.data().isNull()); // copies and exports still see no value

    // clang-format off
    struct { int row; int key; bool typed; const char* text; const char* held; } cases[] = {
        {1, Qt::Key_Return, false, "", "2|Kaffee|<null>"}, // opened and left: still NULL
        {0, Qt::Key_0, false, "", "1|Tee|<null>"},         // Ctrl+0 in the editor
        {2, Qt::Key_Return, true, "", "3|Kakao|"},          // emptied: the empty text
        {2, -1, false, "", "3|Kakao|<null>"},                // Ctrl+0 on the cell, no editor
    };
    // clang-format on
    for (const auto& t : cases) {
        SCOPED_TRACE(t.held);
        if (t.key < 0) {
            form->DataGrid1->setCurrentIndex(model()->index(t.row, 2));
            press(form->DataGrid1, Qt::Key_0, Qt::ControlModifier);
        } else {
            QLineEdit* editor = startEditing(t.row, 2);
            ASSERT_NE(editor, nullptr);
            if (t.typed) {
                editor->setText(QString::fromUtf8(t.text));
                editor->setModified(true);
            }
            press(editor, t.key, t.key == Qt::Key_0 ? Qt::ControlModifier : Qt::NoModifier);
        }
        EXPECT_EQ(itemsInFile()[t.row], QString::fromUtf8(t.held));
    }
    EXPECT_TRUE(dialogs.take().isEmpty());
}

} // namespace
