#include "tools/Form2.h"

#include "tools/LockWatch.h"
#include "ui/Clock.h"
#include "ui/Controls.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

// The window's client area in twips; nothing moves when the window changes size.
constexpr int clientWidth = 7905;
constexpr int clientHeight = 7800;

constexpr int textHeight = 285;
constexpr int comboHeight = 315;
constexpr int captionHeight = 255;
constexpr int labelHeight = 225;
constexpr int buttonHeight = 375;

using ui::place;

// A box with its caption just above it.
template <typename Box>
Box* captioned(QLabel*& caption, QWidget* frame, const char* captionName, const QString& text, Box* box,
               int left, int top, int width, int height)
{
    caption = ui::label(frame, captionName, text, box);
    place(caption, left, top - 240, width, labelHeight);
    place(box, left, top, width, height);
    return box;
}

} // namespace

Form2::Form2(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Database Tools"));
    setFont(ui::designedFont(ui::controlFontSize));
    resize(ui::pixels(clientWidth), ui::pixels(clientHeight));

    createFinderFrame();
    createCompareFrame();
    createWatchFrame();
    connectCompare();
    connectFinder();
    connectWatch();
}

Form2::~Form2() = default;

void Form2::createFinderFrame()
{
    Frame10 = ui::frame(this, "Frame10", QStringLiteral("Find Value in Sql Database"));
    place(Frame10, 0, 0, 7815, 3015);
    QWidget* f = Frame10;

    Text24 = captioned(Label29, f, "Label29", QStringLiteral("Server"), ui::textBox(f, "Text24"), 240, 480,
                       1935, textHeight);
    Text25 = captioned(Label30, f, "Label30", QStringLiteral("Database"), ui::textBox(f, "Text25"), 240, 1080,
                       1935, textHeight);
    Text27 = captioned(Label33, f, "Label33", QStringLiteral("User Name"), ui::textBox(f, "Text27"), 2280,
                       480, 1815, textHeight);
    Text30 = captioned(Label34, f, "Label34", QStringLiteral("Password"), ui::passwordBox(f, "Text30"), 2280,
                       1080, 1815, textHeight);
    Text28 = captioned(Label31, f, "Label31", QStringLiteral("Search String"), ui::textBox(f, "Text28"), 4200,
                       480, 2535, textHeight);

    Check2 = ui::checkBox(f, "Check2", QStringLiteral("Check Systems"));
    place(Check2, 4320, 1080, 1455, captionHeight);
    Check3 = ui::checkBox(f, "Check3", QStringLiteral("Find All"));
    place(Check3, 5880, 1080, 1455, captionHeight);
    Command10 = ui::button(f, "Command10", QStringLiteral("&Find"));
    place(Command10, 240, 1440, 3855, buttonHeight);
    Label39 = ui::label(f, "Label39", QString());
    place(Label39, 4320, 1440, 2415, buttonHeight);
    Text29 = ui::named(new QPlainTextEdit(f), "Text29");
    place(Text29, 240, 1920, 7335, 855);
}

void Form2::createCompareFrame()
{
    Frame9 = ui::frame(this, "Frame9", QStringLiteral("Sql Compare"));
    place(Frame9, 0, 3120, 3855, 4575);
    QWidget* f = Frame9;
    constexpr int side1 = 240, side2 = 2040, width = 1575;

    Text12 = captioned(Label17, f, "Label17", QStringLiteral("Sql Server 1"), ui::textBox(f, "Text12"), side1,
                       480, width, textHeight);
    Text13 = captioned(Label18, f, "Label18", QStringLiteral("User"), ui::textBox(f, "Text13"), side1, 1080,
                       width, textHeight);
    Text14 = captioned(Label19, f, "Label19", QStringLiteral("Password"), ui::passwordBox(f, "Text14"), side1,
                       1680, width, textHeight);
    Text22 = captioned(Label25, f, "Label25", QStringLiteral("Database 1"), ui::textBox(f, "Text22"), side1,
                       2280, width, textHeight);
    Combo1 = captioned(Label20, f, "Label20", QStringLiteral("Object 1"), ui::dropDownCombo(f, "Combo1"),
                       side1, 2880, width, comboHeight);
    Text18 = captioned(Label21, f, "Label21", QStringLiteral("Sql Server 2"), ui::textBox(f, "Text18"), side2,
                       480, width, textHeight);
    Text19 = captioned(Label22, f, "Label22", QStringLiteral("User"), ui::textBox(f, "Text19"), side2, 1080,
                       width, textHeight);
    Text20 = captioned(Label23, f, "Label23", QStringLiteral("Password"), ui::passwordBox(f, "Text20"), side2,
                       1680, width, textHeight);
    Text23 = captioned(Label27, f, "Label27", QStringLiteral("Database 2"), ui::textBox(f, "Text23"), side2,
                       2280, width, textHeight);
    Combo2 = captioned(Label24, f, "Label24", QStringLiteral("Object 2"), ui::dropDownCombo(f, "Combo2"),
                       side2, 2880, width, comboHeight);

    Label28 = ui::label(f, "Label28", QString());
    Label28->setWordWrap(true);
    Label28->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(Label28, 240, 3240, 3255, 615);
    Option2 = ui::optionButton(f, "Option2", QStringLiteral("Stored Procedures"));
    place(Option2, 360, 3840, 1815, captionHeight);
    Option2->setChecked(true);
    Option1 = ui::optionButton(f, "Option1", QStringLiteral("Tables"));
    place(Option1, 2280, 3840, 1335, captionHeight);

    Command11 = ui::button(f, "Command11", QStringLiteral("Connect"));
    place(Command11, 360, 4080, 975, buttonHeight);
    Command9 = ui::button(f, "Command9", QStringLiteral("Com&pare"));
    place(Command9, 1440, 4080, 975, buttonHeight);
    // Compare needs the lists of a Connect first.
    Command9->setEnabled(false);
    Command12 = ui::button(f, "Command12", QStringLiteral("View Log"));
    place(Command12, 2520, 4080, 975, buttonHeight);
}

void Form2::createWatchFrame()
{
    Frame8 = ui::frame(this, "Frame8", QStringLiteral("Sql Watch"));
    place(Frame8, 3960, 3120, 3855, 4575);
    QWidget* f = Frame8;
    constexpr int left = 240, width = 3375;

    Text8 = captioned(Label14, f, "Label14", QStringLiteral("Sql Server"), ui::textBox(f, "Text8"), left, 480,
                      width, textHeight);
    Text9 = captioned(Label16, f, "Label16", QStringLiteral("Sql Database"), ui::textBox(f, "Text9"), left,
                      1080, width, textHeight);
    Text31 = captioned(Label35, f, "Label35", QStringLiteral("User Name"), ui::textBox(f, "Text31"), left,
                       1680, width, textHeight);
    Text32 = captioned(Label37, f, "Label37", QStringLiteral("Password"), ui::passwordBox(f, "Text32"), left,
                       2280, width, textHeight);

    Command21 = ui::button(f, "Command21", QStringLiteral("Email Setup"));
    place(Command21, 240, 2760, 3255, buttonHeight);
    Label6 = ui::label(f, "Label6", QString());
    place(Label6, 360, 3240, 3015, buttonHeight);
    Option3 = ui::optionButton(f, "Option3", QStringLiteral("Check for Locks"));
    place(Option3, 360, 3600, 1575, captionHeight);
    Option3->setChecked(true);
    Option4 = ui::optionButton(f, "Option4", QStringLiteral("Check for No Locks"));
    place(Option4, 1980, 3600, 1755, captionHeight);
    Command8 = ui::button(f, "Command8", QStringLiteral("&Run"));
    place(Command8, 720, 4080, 2175, buttonHeight);

    Timer2 = ui::named(new ui::Timer(this), "Timer2");
    Timer2->setInterval(60000);
}

void Form2::stopRunning()
{
    stopCompare_ = true;
    stopSearch_ = true;
    if (watch_)
        watch_->abandon();
}
