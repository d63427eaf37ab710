#include "ui/BoxText.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace ui {
namespace {

QString withLineBreaks(QString text)
{
    for (QChar& c : text) {
        switch (c.unicode()) {
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
        case 0xfdd0: // a frame's start and end, as the document marks them
        case 0xfdd1:
            c = QLatin1Char('\n');
            break;
        default:
            break;
        }
    }
    return text;
}

} // namespace

QString boxText(const QPlainTextEdit* box)
{
    return withLineBreaks(box->document()->toRawText());
}

QString selectedText(const QTextCursor& cursor)
{
    return withLineBreaks(cursor.selectedText());
}

} // namespace ui
