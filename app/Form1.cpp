#include "app/Form1.h"

#include "app/About.h"
#include "app/Maker.h"
#include "app/StatusBar.h"
#include "results/DataGridDelegate.h"
#include "ui/CaptionFit.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/MSFlexGrid.h"
#include "ui/PlainTextView.h"
#include "ui/Program.h"
#include "ui/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <algorithm>

namespace {

// The window's surface (below the menu bar, the status bar included) and its place on the
// screen, in twips.
constexpr int surfaceLeft = 165;
constexpr int surfaceTop = 1020;
constexpr int surfaceWidth = 10050;
constexpr int surfaceHeight = 6360;

// The output area, shared by Text2, MSFlexGrid1 and Frame4.
constexpr ui::TwipsRect outputArea{120, 1560, 9735, 1095};

// Inside Frame4 the options and the warning take the top band; the data grid fills the rest.
constexpr int dataGridTop = 1200;

const QString warningText =
    QStringLiteral("Warning: These changes are made directly to the database. The right click undo may not "
                   "always restore the data, So do not make any changes unless you are sure you want to "
                   "update the database.");

constexpr qreal queryBoxFontSize = 9.75;

} // namespace

using ui::button;
using ui::checkBox;
using ui::dropDownCombo;
using ui::frame;
using ui::label;
using ui::named;
using ui::optionButton;
using ui::passwordBox;
using ui::place;
using ui::textBox;

Form1::Form1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(maker::windowCaption());
    setFont(ui::designedFont(ui::controlFontSize));

    createControls();
    ui::fitCaptions(centralWidget());
    createMenus();
    placeWindow();

    connect(Exitm, &QAction::triggered, this, &Form1::Exitm_Click);
    connect(About, &QAction::triggered, this, &Form1::About_Click);
    connectRun();
    connectDirectEdit();
    connectResultActions();
    connectKeys();
    connectConnectionFields();
    connectPlace();
    connectTray();
    connectTools();
    connectWorkspace();
    connectLayout();
}

Form1::~Form1()
{
    flushQueryTextKeep();
}

void Form1::createControls()
{
    auto* surface = named(new QWidget(this), "Surface");
    setCentralWidget(surface);

    // Created bottom-up: the output views first, the floating panels last, so that the panels
    // stand above the query box and the output area.
    Text1 = named(new QPlainTextEdit(surface), "Text1");
    Text1->setFont(ui::designedFont(queryBoxFontSize));
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    place(Text1, 120, 360, 9735, 1095);

    Text2 = named(new ui::PlainTextView(surface), "Text2");
    Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    place(Text2, outputArea);

    MSFlexGrid1 = named(new ui::MSFlexGrid(surface), "MSFlexGrid1");
    place(MSFlexGrid1, outputArea);

    createDataGridFrame();

    Command1 = button(surface, "Command1", QStringLiteral("&Run"));
    place(Command1, 120, 0, 1215, 255);
    Command9 = button(surface, "Command9", QStringLiteral("Cancel"));
    place(Command9, 1440, 0, 1215, 255);
    // Nothing runs yet: a run enables Cancel and disables it again when it ends.
    Command9->setEnabled(false);
    Command9->setCursor(Qt::ArrowCursor); // no busy pointer over Cancel during a run
    Command8 = button(surface, "Command8", QStringLiteral("Minimize"));
    place(Command8, 2760, 0, 1215, 255);
    Command2 = button(surface, "Command2", QStringLiteral("Tools"));
    place(Command2, 4080, 0, 1215, 255);

    Check2 = checkBox(surface, "Check2", QStringLiteral("Show / Hide Profile Menu"));
    Check2->setChecked(true);
    place(Check2, 5400, 0, 2295, 255);
    Check5 = checkBox(surface, "Check5", QStringLiteral("Show / Hide Quick Query"));
    Check5->setChecked(false);
    place(Check5, 7680, 0, 2295, 255);

    createQuickQueryFrame();
    createProfileFrame();
    createQuerysFrame();
    createFontFrame();

    StatusBar1 = named(new app::PanelStatusBar(this), "StatusBar1");
    setStatusBar(StatusBar1);

    // The output choice sits at the right end of the status bar: always in reach, never
    // under the output views or the floating panels, and in place whatever the window's size.
    Option1 = optionButton(StatusBar1, "Option1", QStringLiteral("Plain Text"));
    Option2 = optionButton(StatusBar1, "Option2", QStringLiteral("Data Grid"));
    StatusBar1->addPermanentWidget(Option1);
    StatusBar1->addPermanentWidget(Option2);
}

void Form1::createProfileFrame()
{
    Frame1 = frame(centralWidget(), "Frame1", QStringLiteral("Profile Options"));
    place(Frame1, 5880, 1920, 3975, 3975);

    Check1 = checkBox(Frame1, "Check1", QStringLiteral("Automatically Save Current SQL Statements."));
    place(Check1, 240, 240, 3495, 240);
    Check4 = checkBox(Frame1, "Check4", QStringLiteral("Automatically Save All SQL Statements."));
    place(Check4, 240, 480, 3255, 240);

    // One row every 360 twips: the caption at the left, the field beside it.
    constexpr int labelLeft = 120, labelWidth = 1215, labelHeight = 255;
    constexpr int fieldLeft = 1440, fieldWidth = 2175, textHeight = 285, comboHeight = 315;
    auto row = [&](QLabel*& caption, const char* captionName, const QString& text, QWidget* field, int top,
                   int fieldHeight) {
        caption = label(Frame1, captionName, text, field);
        place(caption, labelLeft, top, labelWidth, labelHeight);
        place(field, fieldLeft, top, fieldWidth, fieldHeight);
    };

    Combo2 = dropDownCombo(Frame1, "Combo2");
    row(ProfileNameLabel, "ProfileNameLabel", QStringLiteral("Profile Name"), Combo2, 960, comboHeight);
    Text4 = textBox(Frame1, "Text4");
    row(UserNameLabel, "UserNameLabel", QStringLiteral("User Name"), Text4, 1320, textHeight);
    Text5 = passwordBox(Frame1, "Text5");
    row(PasswordLabel, "PasswordLabel", QStringLiteral("Password"), Text5, 1680, textHeight);
    Text8 = textBox(Frame1, "Text8");
    row(LocationLabel, "LocationLabel", QStringLiteral("Location"), Text8, 2040, textHeight);
    Text9 = textBox(Frame1, "Text9");
    row(DatabaseNameLabel, "DatabaseNameLabel", QStringLiteral("Database Name"), Text9, 2400, textHeight);
    Text10 = passwordBox(Frame1, "Text10");
    row(DBPasswordLabel, "DBPasswordLabel", QStringLiteral("DB Password"), Text10, 2760, textHeight);
    Combo1 = dropDownCombo(Frame1, "Combo1");
    row(DatabaseTypeLabel, "DatabaseTypeLabel", QStringLiteral("Database Type"), Combo1, 3120, comboHeight);

    Command4 = button(Frame1, "Command4", QStringLiteral("Save Profile"));
    place(Command4, 720, 3600, 1215, 255);
    Command5 = button(Frame1, "Command5", QStringLiteral("Delete Profile"));
    place(Command5, 2160, 3600, 1215, 255);
}

void Form1::createQuickQueryFrame()
{
    Frame2 = frame(centralWidget(), "Frame2", QStringLiteral("Quick Query"));
    place(Frame2, 5880, 360, 3735, 975);

    Combo4 = dropDownCombo(Frame2, "Combo4");
    place(Combo4, 120, 240, 2175, 315);
    Text12 = textBox(Frame2, "Text12");
    place(Text12, 120, 600, 2175, 285);
    Command10 = button(Frame2, "Command10", QStringLiteral("Add Query"));
    place(Command10, 2400, 240, 1215, 255);
    Command12 = button(Frame2, "Command12", QStringLiteral("Remove Query"));
    place(Command12, 2400, 600, 1215, 255);

    Frame2->hide();
}

void Form1::createFontFrame()
{
    Frame5 = frame(centralWidget(), "Frame5", QStringLiteral("Font Settings"));
    place(Frame5, 2280, 480, 2895, 1335);

    Text14 = textBox(Frame5, "Text14");
    place(Text14, 2040, 240, 615, 285);
    QueryBoxFontSizeLabel =
        label(Frame5, "QueryBoxFontSizeLabel", QStringLiteral("Query Box Font Size:"), Text14);
    place(QueryBoxFontSizeLabel, 240, 240, 1935, 255);

    Text15 = textBox(Frame5, "Text15");
    place(Text15, 2040, 600, 615, 285);
    QueryOutputDataBoxLabel =
        label(Frame5, "QueryOutputDataBoxLabel", QStringLiteral("Query Output Data Box:"), Text15);
    place(QueryOutputDataBoxLabel, 240, 600, 1935, 255);
    // The captions reach under the boxes; the boxes stay on top.
    Text14->raise();
    Text15->raise();

    Command14 = button(Frame5, "Command14", QStringLiteral("OK"));
    place(Command14, 480, 960, 855, 255);
    Command15 = button(Frame5, "Command15", QStringLiteral("Cancel"));
    place(Command15, 1560, 960, 855, 255);

    Frame5->hide();
}

void Form1::createDataGridFrame()
{
    Frame4 = frame(centralWidget(), "Frame4", QString());
    place(Frame4, outputArea);

    Option4 = optionButton(Frame4, "Option4", QStringLiteral("Read Only"));
    place(Option4, 120, 120, 1215, 255);
    Option5 = optionButton(Frame4, "Option5", QStringLiteral("Read/Write"));
    place(Option5, 120, 480, 1215, 255);
    // The safe choice until the user asks for more: edits need Read/Write.
    Option4->setChecked(true);

    Label12 = named(new QLabel(warningText, Frame4), "Label12");
    Label12->setWordWrap(true);
    Label12->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    place(Label12, 1440, 120, outputArea.width - 1560, dataGridTop - 225);

    // The data grid fills the frame below the options; the window's resize rules keep it so.
    DataGrid1 = named(new QTableView(Frame4), "DataGrid1");
    DataGrid1->setItemDelegate(new results::DataGridDelegate(DataGrid1));
    place(DataGrid1, 0, dataGridTop, outputArea.width, std::max(0, outputArea.height - dataGridTop));

    Frame4->hide();
}

void Form1::createQuerysFrame()
{
    Frame8 = frame(centralWidget(), "Frame8", QStringLiteral("Querys"));
    place(Frame8, 6480, 1440, 3375, 3975);

    Command19 = button(Frame8, "Command19", QStringLiteral("Import"));
    place(Command19, 240, 240, 1335, 315);
    Command20 = button(Frame8, "Command20", QStringLiteral("Hide"));
    place(Command20, 1800, 240, 1335, 315);
    List1 = named(new QListWidget(Frame8), "List1");
    place(List1, 240, 600, 2895, 3180);

    Frame8->hide();
}

void Form1::placeWindow()
{
    // The surface (everything below the menu bar) has the designed size and place; the menu
    // bar is part of this window in Qt, so the window reaches above the surface by its height.
    const int menuHeight = menuBar()->isNativeMenuBar() ? 0 : menuBar()->sizeHint().height();
    setGeometry(ui::pixels(surfaceLeft), ui::pixels(surfaceTop) - menuHeight, ui::pixels(surfaceWidth),
                ui::pixels(surfaceHeight) + menuHeight);
}

void Form1::Form_Load()
{
    startOutput();    // the grid's empty columns, the output choice, the database types
    startWorkspace(); // profiles, last profile, quick queries, font sizes
    restoreWindowPlace();
}

void Form1::Form_Unload()
{
    // A run still reading stops at its next record, as Cancel stops it: the program ends
    // when the handler that started the run returns, and nothing reads on into a window
    // that is gone.
    Command9->setEnabled(false);
    flushQueryTextKeep();
    stopTools();
    ui::endProgram();
}

void Form1::closeEvent(QCloseEvent* event)
{
    if (placeTimer_->isActive())
        SaveWindowPlace();
    Form_Unload();
    event->accept();
}

void Form1::Exitm_Click()
{
    if (ui::askYesNo(QStringLiteral("Are You sure you want to Exit")))
        Form_Unload();
}

void Form1::About_Click()
{
    ui::msgBox(app::aboutText());
}
