#pragma once

#include <QString>

class QPlainTextEdit;
class QTextCursor;

// The text a plain-text box holds, character for character. QPlainTextEdit::toPlainText()
// turns no-break spaces into ordinary spaces; these keep them, so that what is run, logged
// and kept is what was typed. Paragraph and line breaks become "\n" as toPlainText() gives
// them.
namespace ui {

QString boxText(const QPlainTextEdit* box);
// The selected text, "" when nothing is selected.
QString selectedText(const QTextCursor& cursor);

} // namespace ui
