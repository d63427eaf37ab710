#include "tools/Form10.h"

#include "ui/Controls.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QFont>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

namespace tools {
namespace {

constexpr int clientWidth = 8505;
constexpr int clientHeight = 6375;

QPointer<Form10>& storage()
{
    static QPointer<Form10> form;
    return form;
}

} // namespace

Form10::Form10(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("Brindle Compare Log"));
    setFont(ui::designedFont(ui::controlFontSize));

    Text1 = ui::named(new QPlainTextEdit(this), "Text1");
    QFont courier(QStringLiteral("Courier"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setPointSizeF(9.75);
    Text1->setFont(courier);
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    ui::place(Text1, 120, 240, 8295, 5295);

    Command1 = ui::button(this, "Command1", QStringLiteral("&OK"));
    ui::place(Command1, 2760, 5880, 2655, 375);
    connect(Command1, &QPushButton::clicked, this, &Form10::Command1_Click);

    resize(ui::pixels(clientWidth), ui::pixels(clientHeight));
}

void Form10::setLogText(const QString& text)
{
    Text1->setPlainText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
}

void Form10::Command1_Click()
{
    hide();
}

void Form10::closeEvent(QCloseEvent* event)
{
    // Closing from the title bar only hides the window.
    event->ignore();
    hide();
}

void Form10::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void Form10::Form_Resize()
{
    const int w = ui::twips(frameGeometry().width());
    const int h = ui::twips(frameGeometry().height());
    // Each assignment on its own: a size the box cannot take is skipped, the rest are made.
    ui::TwipsRect text = ui::twipsGeometry(Text1);
    if (const int width = w - text.left - 220; width >= 0)
        text.width = width;
    if (const int height = h - 1450; height >= 0)
        text.height = height;
    ui::place(Text1, text);
    ui::TwipsRect ok = ui::twipsGeometry(Command1);
    ok.left = (w - 3880) / 2;
    ok.top = h - 980;
    ui::place(Command1, ok);
}

Form10& form10(QWidget* owner)
{
    QPointer<Form10>& form = storage();
    if (!form)
        form = new Form10(owner);
    return *form;
}

} // namespace tools
