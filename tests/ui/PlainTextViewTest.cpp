// The plain-text view of large results: its line store, selection, copy and font.
#include "ui/PlainTextView.h"

#include <QApplication>
#include <QClipboard>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(TextLines, LinesAreFoundInTextAppendedInAnyPieces)
{
    ui::TextLines lines;
    const std::string text = "a\tb\t\r\nzwölf\t\r\n\r\nlast";
    // Pieces that cut a line, a CR LF and a UTF-8 character.
    for (size_t at = 0; at < text.size(); at += 3) {
        lines.append(std::string_view(text).substr(at, 3));
        lines.index();
    }
    QStringList found;
    for (int i = 0; i < lines.lineCount(); ++i)
        found << lines.line(i);
    EXPECT_EQ(found, (QStringList{"a\tb\t", "zwölf\t", "", "last"}));
    EXPECT_EQ(lines.longestLine(), 7) << "bytes without the line end";
    EXPECT_EQ(lines.text(), QStringLiteral("a\tb\t\nzwölf\t\n\nlast"));
    EXPECT_EQ(lines.text(0, 2, 1, 3), QStringLiteral("b\t\nzwö"));

    lines.clear();
    lines.index();
    EXPECT_EQ(lines.lineCount(), 1);
    EXPECT_EQ(lines.text(), "");
}

class View : public testing::Test
{
protected:
    void SetUp() override
    {
        view.resize(400, 300);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        view.setPlainText(QStringLiteral("first line\r\nsecond line\r\nthird line\r\n"));
    }

    // The point of a character: column c of line l.
    QPoint at(int l, int c) const
    {
        const QFontMetrics m = view.fontMetrics();
        return {4 + m.horizontalAdvance(view.lines().line(l).left(c)) + 1,
                l * m.lineSpacing() + m.lineSpacing() / 2};
    }

    ui::PlainTextView view;
};

TEST_F(View, TheMouseSelectsShiftExtendsTheKeysCopyAndSelectAllAndTheFontScales)
{
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, at(0, 6));
    QTest::mouseMove(view.viewport(), at(1, 6));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, at(1, 6));
    EXPECT_EQ(view.selectedText(), "line\nsecond");

    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, at(2, 5));
    EXPECT_EQ(view.selectedText(), "line\nsecond line\nthird");

    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), "line\nsecond line\nthird");
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), view.toPlainText());
    EXPECT_EQ(view.toPlainText(), "first line\nsecond line\nthird line\n");

    // A larger font shows fewer lines and scrolls further.
    for (int i = 0; i < 200; ++i)
        view.appendUtf8("row\r\n");
    view.flushLines();
    const int before = view.verticalScrollBar()->maximum();
    QFont larger = view.font();
    larger.setPointSizeF(larger.pointSizeF() * 3);
    view.setFont(larger);
    EXPECT_GT(view.verticalScrollBar()->maximum(), before);
}

} // namespace
