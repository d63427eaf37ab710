#include "app/Form1.h"

#include "app/About.h"
#include "app/Maker.h"
#include "app/StatusBar.h"
#include "tests/support/ScriptedDialogs.h"
#include "ui/Controls.h"
#include "ui/MSFlexGrid.h"
#include "ui/Program.h"
#include "ui/Twips.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyle>
#include <QTableView>
#include <gtest/gtest.h>
#include <memory>

namespace ui {
void PrintTo(const TwipsRect& r, std::ostream* os)
{
    *os << "(" << r.left << ", " << r.top << ", " << r.width << ", " << r.height << ")";
}
} // namespace ui

namespace {

class Form1Test : public testing::Test
{
protected:
    void SetUp() override
    {
        ui::setEndProgramAction([this] { ++programEnds; });
        form = std::make_unique<Form1>();
    }

    void TearDown() override
    {
        form.reset();
        ui::setEndProgramAction({});
    }

    template <typename T> T* find(const char* name)
    {
        T* found = form->findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name << " is missing or of another kind";
        return found;
    }

    // The items of a menu: object names, "-" for a separator.
    static QStringList itemNames(const QMenu* menu)
    {
        QStringList names;
        for (const QAction* a : menu->actions())
            names << (a->isSeparator() ? QStringLiteral("-") : a->objectName());
        return names;
    }

    std::unique_ptr<Form1> form;
    int programEnds = 0;
};

// The caption of a button, check box, option button, frame or menu entry.
QString captionOf(const QObject* o)
{
    if (auto* b = qobject_cast<const QAbstractButton*>(o))
        return b->text();
    if (auto* f = qobject_cast<const QGroupBox*>(o))
        return f->title();
    if (auto* a = qobject_cast<const QAction*>(o))
        return a->text();
    return QStringLiteral("<no caption: %1>").arg(o->metaObject()->className());
}

// --- controls ---------------------------------------------------------------------------

TEST_F(Form1Test, EveryControlAndMenuEntryExistsWithItsKindAndCaption)
{
    // clang-format off
    const struct
    {
        const char* name;
        const char* kind;
        const char* caption;
    } table[] = {
        {"Command1", "QPushButton", "&Run"}, {"Command9", "QPushButton", "Cancel"},
        {"Command8", "QPushButton", "Minimize"}, {"Command2", "QPushButton", "Tools"},
        {"Command4", "QPushButton", "Save Profile"}, {"Command5", "QPushButton", "Delete Profile"},
        {"Command10", "QPushButton", "Add Query"}, {"Command12", "QPushButton", "Remove Query"},
        {"Command14", "QPushButton", "OK"}, {"Command15", "QPushButton", "Cancel"},
        {"Command19", "QPushButton", "Import"}, {"Command20", "QPushButton", "Hide"},
        {"Check1", "QCheckBox", "Automatically Save Current SQL Statements."},
        {"Check4", "QCheckBox", "Automatically Save All SQL Statements."},
        {"Check2", "QCheckBox", "Show / Hide Profile Menu"},
        {"Check5", "QCheckBox", "Show / Hide Quick Query"}, {"Option1", "QRadioButton", "Plain Text"},
        {"Option2", "QRadioButton", "Data Grid"}, {"Option4", "QRadioButton", "Read Only"},
        {"Option5", "QRadioButton", "Read/Write"}, {"Frame1", "QGroupBox", "Profile Options"},
        {"Frame2", "QGroupBox", "Quick Query"}, {"Frame5", "QGroupBox", "Font Settings"},
        {"Frame8", "QGroupBox", "Querys"}, {"Frame4", "QGroupBox", ""}, {"FileOpen", "QAction", "File Open"},
        {"FileSave", "QAction", "File Save"}, {"FileSaveAsSpecify", "QAction", "File Save As (Specify)"},
        {"ExportData", "QAction", "Export Data to File"},
        {"ExportClipboard", "QAction", "Export Data to Clipboard"}, {"ExportCsv", "QAction", "Export as CSV\u2026"},
        {"Exitm", "QAction", "Exit"},
        {"AutomacticallySaveSqlStatements", "QAction", "Automactically Save Current Sql Statements"},
        {"AutomaticallySaveAllSQLStatements", "QAction", "Automatically Save All SQL Statements"},
        {"RunOnlySelectedText", "QAction", "Run Only Selected Text"},
        {"StayonTopWindow", "QAction", "Quorvane Stay on Top "},
        {"LoadLastProfileonStartup", "QAction", "Load Last Profile on Startup"},
        {"MFontSettings", "QAction", "Font Settings"}, {"MQuerys", "QAction", "Previous Querys"},
        {"DataGrid", "QAction", "Data Grid"}, {"PlainText", "QAction", "Plain Text"},
        {"DirectEdit", "QAction", "Direct Edit"}, {"DataOutputtoFile", "QAction", "Data Output to File"},
        {"About", "QAction", "About"}, {"Help", "QAction", "Help"},
        {"CopySelectRowstoClipboard", "QAction", "Copy Selected Rows to Clipboard"},
        {"CopyCurrentColumntoClipboard", "QAction", "Copy Selected Columns to Clipboard"},
        {"DeleteRow", "QAction", "Delete the Selected Rows"},
        {"DeleteColumn", "QAction", "Delete the Selected Columns"},
        {"CopyCurrentCellData", "QAction", "Copy Current Cell to Clipboard"}, {"CopyAsCsv", "QAction", "Copy as CSV"},
        {"Undo", "QAction", "Undo "},
        // without a caption
        {"Text4", "QLineEdit", nullptr}, {"Text5", "QLineEdit", nullptr}, {"Text8", "QLineEdit", nullptr},
        {"Text9", "QLineEdit", nullptr}, {"Text10", "QLineEdit", nullptr}, {"Text12", "QLineEdit", nullptr},
        {"Text14", "QLineEdit", nullptr}, {"Text15", "QLineEdit", nullptr}, {"Combo1", "QComboBox", nullptr},
        {"Combo2", "QComboBox", nullptr}, {"Combo4", "QComboBox", nullptr},
        {"MSFlexGrid1", "ui::MSFlexGrid", nullptr}, {"DataGrid1", "QTableView", nullptr},
        {"List1", "QListWidget", nullptr}, {"StatusBar1", "app::PanelStatusBar", nullptr},
    };
    // clang-format on
    for (const auto& [name, kind, caption] : table) {
        const QObject* o = form->findChild<QObject*>(QLatin1String(name));
        ASSERT_NE(o, nullptr) << name << " is missing";
        EXPECT_TRUE(o->inherits(kind)) << name << " is a " << o->metaObject()->className();
        if (caption) {
            EXPECT_EQ(captionOf(o), QString::fromUtf8(caption)) << name;
        }
    }
    for (const QComboBox* c : {form->Combo1, form->Combo2, form->Combo4}) {
        EXPECT_TRUE(c->isEditable()) << c->objectName().toStdString() << " takes free typing";
        EXPECT_EQ(c->insertPolicy(), QComboBox::NoInsert) << "lists only what the program adds";
    }
    EXPECT_EQ(form->statusBar(), form->StatusBar1);
    EXPECT_EQ(form->UndoMenu->title(), "UndoMenu");
}

TEST_F(Form1Test, TheStartingChecksAndExclusiveOptionGroups)
{
    EXPECT_TRUE(form->Check2->isChecked());
    EXPECT_FALSE(form->Check5->isChecked());
    EXPECT_TRUE(form->Option4->isChecked()) << "the data grid starts read-only";
    EXPECT_FALSE(form->Option5->isChecked());
    EXPECT_FALSE(form->Command9->isEnabled()) << "Cancel is disabled while nothing runs";
    EXPECT_TRUE(form->Command1->isEnabled());

    form->Option1->setChecked(true);
    form->Option2->setChecked(true);
    EXPECT_FALSE(form->Option1->isChecked());
    form->Option5->setChecked(true);
    EXPECT_FALSE(form->Option4->isChecked());
    EXPECT_TRUE(form->Option2->isChecked()) << "the read/write choice must not touch the output choice";
    form->Option1->setChecked(true);
    EXPECT_TRUE(form->Option5->isChecked()) << "the output choice must not touch the read/write choice";
}

TEST_F(Form1Test, FieldsSitInTheirFramesBesideTheirCaptions)
{
    struct Field
    {
        const char* field;
        const char* frame;
        const char* caption; // the text of the label standing for the field, if any
    };
    // clang-format off
    const Field fields[] = {
        {"Combo2", "Frame1", "Profile Name"}, {"Text4", "Frame1", "User Name"},
        {"Text5", "Frame1", "Password"}, {"Text8", "Frame1", "Location"},
        {"Text9", "Frame1", "Database Name"}, {"Text10", "Frame1", "DB Password"},
        {"Combo1", "Frame1", "Database Type"}, {"Check1", "Frame1", nullptr}, {"Check4", "Frame1", nullptr},
        {"Command4", "Frame1", nullptr}, {"Command5", "Frame1", nullptr}, {"Combo4", "Frame2", nullptr},
        {"Text12", "Frame2", nullptr}, {"Command10", "Frame2", nullptr}, {"Command12", "Frame2", nullptr},
        {"Text14", "Frame5", "Query Box Font Size:"}, {"Text15", "Frame5", "Query Output Data Box:"},
        {"Command14", "Frame5", nullptr}, {"Command15", "Frame5", nullptr}, {"DataGrid1", "Frame4", nullptr},
        {"Option4", "Frame4", nullptr}, {"Option5", "Frame4", nullptr}, {"Label12", "Frame4", nullptr},
        {"List1", "Frame8", nullptr}, {"Command19", "Frame8", nullptr}, {"Command20", "Frame8", nullptr},
    };
    // clang-format on
    for (const Field& f : fields) {
        auto* field = find<QWidget>(f.field);
        if (!field)
            continue;
        EXPECT_EQ(field->parentWidget()->objectName(), QLatin1String(f.frame)) << f.field;
        if (!f.caption)
            continue;
        const QLabel* caption = nullptr;
        for (const QLabel* l : field->parentWidget()->findChildren<QLabel*>())
            if (l->buddy() == field)
                caption = l;
        ASSERT_NE(caption, nullptr) << f.field << " has no caption";
        EXPECT_EQ(caption->text(), QString::fromUtf8(f.caption)) << f.field;
        EXPECT_FALSE(caption->objectName().isEmpty()) << f.field;
    }
}

TEST_F(Form1Test, OnlyThePasswordBoxesAreMasked)
{
    for (QLineEdit* box : {form->Text5, form->Text10}) {
        EXPECT_EQ(box->echoMode(), QLineEdit::Password) << box->objectName().toStdString();
        EXPECT_EQ(box->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, box), '*');
    }
    for (QLineEdit* box : {form->Text4, form->Text8, form->Text9, form->Text12, form->Text14, form->Text15})
        EXPECT_EQ(box->echoMode(), QLineEdit::Normal) << box->objectName().toStdString();
}

// --- visibility -------------------------------------------------------------------------

TEST_F(Form1Test, OnlyTheProfilePanelShowsAtStart)
{
    form->show();
    EXPECT_TRUE(form->Frame1->isVisibleTo(form.get()));
    for (QGroupBox* hidden : {form->Frame2, form->Frame4, form->Frame5, form->Frame8})
        EXPECT_FALSE(hidden->isVisibleTo(form.get())) << hidden->objectName().toStdString();
    for (QWidget* shown : {static_cast<QWidget*>(form->Text1), static_cast<QWidget*>(form->StatusBar1),
                           static_cast<QWidget*>(form->Command1), static_cast<QWidget*>(form->Option1)})
        EXPECT_TRUE(shown->isVisibleTo(form.get())) << shown->objectName().toStdString();
}

TEST_F(Form1Test, TheFloatingPanelsStandAboveTheQueryBoxAndTheOutputArea)
{
    const QObjectList order = form->centralWidget()->children(); // bottom to top
    for (QWidget* panel : {form->Frame1, form->Frame2, form->Frame5, form->Frame8}) {
        EXPECT_TRUE(panel->autoFillBackground())
            << panel->objectName().toStdString() << " lets the view shine through";
        for (QWidget* below : {static_cast<QWidget*>(form->Text1), static_cast<QWidget*>(form->Text2),
                               static_cast<QWidget*>(form->MSFlexGrid1), static_cast<QWidget*>(form->Frame4)})
            EXPECT_GT(order.indexOf(panel), order.indexOf(below))
                << panel->objectName().toStdString() << " under " << below->objectName().toStdString();
    }
}

// --- status bar -------------------------------------------------------------------------

TEST_F(Form1Test, TheStatusBarHasTwoPanelsWithTextAndWidthInTwips)
{
    app::PanelStatusBar* bar = form->StatusBar1;
    bar->setPanelText(1, QStringLiteral("Rows: 25"));
    bar->setPanelWidth(1, 1400);
    bar->setPanelText(2, QStringLiteral("Seconds: 3"));
    bar->setPanelWidth(2, 1800);

    EXPECT_EQ(bar->panelText(1), "Rows: 25");
    EXPECT_EQ(bar->panelWidth(1), 1400) << "a width that is no whole number of pixels is kept as given";
    EXPECT_EQ(bar->panel(1)->width(), ui::pixels(1400));
    EXPECT_EQ(bar->panelText(2), "Seconds: 3");
    EXPECT_EQ(bar->panelWidth(2), 1800);
    EXPECT_EQ(bar->panel(2)->width(), 120);
}

// --- menus ------------------------------------------------------------------------------

TEST_F(Form1Test, MenusHoldTheirItemsInOrderWithSeparators)
{
    QStringList bar;
    for (const QAction* a : form->menuBar()->actions())
        bar << a->menu()->objectName() + QLatin1Char('=') + a->text();
    EXPECT_EQ(bar, (QStringList{"FileM=File", "OptionsM=Options", "HelpM=Help"})) << "no pop-up menu in the bar";
    EXPECT_EQ(itemNames(form->FileM),
              (QStringList{"FileOpen", "FileSave", "FileSaveAsSpecify", "-", "ExportData", "ExportClipboard",
                           "ExportCsv", "-", "Exitm"}));
    EXPECT_EQ(
        itemNames(form->OptionsM),
        (QStringList{"AutomacticallySaveSqlStatements", "AutomaticallySaveAllSQLStatements",
                     "RunOnlySelectedText", "StayonTopWindow", "LoadLastProfileonStartup", "MFontSettings",
                     "MQuerys", "-", "DataGrid", "PlainText", "DirectEdit", "DataOutputtoFile"}));
    EXPECT_EQ(itemNames(form->HelpM), (QStringList{"About", "Help"}));
    EXPECT_EQ(itemNames(form->Rmenu),
              (QStringList{"CopySelectRowstoClipboard", "CopyCurrentColumntoClipboard", "-", "DeleteRow",
                           "DeleteColumn", "-", "CopyCurrentCellData", "-", "CopyAsCsv"}));
    EXPECT_EQ(itemNames(form->UndoMenu), (QStringList{"Undo"}));
}

TEST_F(Form1Test, OnlyRunOnlySelectedTextCarriesItsCheckMarkAtStart)
{
    const QList<QAction*> marked{form->AutomacticallySaveSqlStatements,
                                 form->AutomaticallySaveAllSQLStatements,
                                 form->RunOnlySelectedText,
                                 form->StayonTopWindow,
                                 form->LoadLastProfileonStartup,
                                 form->DataGrid,
                                 form->PlainText,
                                 form->DirectEdit,
                                 form->DataOutputtoFile};
    for (const QAction* a : marked) {
        EXPECT_TRUE(a->isCheckable()) << a->objectName().toStdString();
        EXPECT_EQ(a->isChecked(), a == form->RunOnlySelectedText) << a->objectName().toStdString();
    }
    for (const QAction* a : {form->FileOpen, form->Exitm, form->MFontSettings, form->MQuerys, form->About,
                             form->Help, form->DeleteRow, form->Undo})
        EXPECT_FALSE(a->isCheckable()) << a->objectName().toStdString();

    // Each handler flips the mark it finds: were Qt's own flip left in place, two flips would
    // cancel out and the mark would never move.
    form->RunOnlySelectedText->trigger();
    EXPECT_FALSE(form->RunOnlySelectedText->isChecked());
    form->RunOnlySelectedText->trigger();
    EXPECT_TRUE(form->RunOnlySelectedText->isChecked());
}

// --- layout -----------------------------------------------------------------------------

struct Placed
{
    const char* name;
    ui::TwipsRect rect;
};

TEST_F(Form1Test, ControlsStartAtTheirDesignedPlaces)
{
    // clang-format off
    const Placed table[] = {
        // on the window's surface
        {"Command1", {120, 0, 1215, 255}}, {"Command9", {1440, 0, 1215, 255}},
        {"Command8", {2760, 0, 1215, 255}}, {"Command2", {4080, 0, 1215, 255}},
        {"Check2", {5400, 0, 2295, 255}}, {"Check5", {7680, 0, 2295, 255}}, {"Text1", {120, 360, 9735, 1095}},
        {"Text2", {120, 1560, 9735, 1095}}, {"Frame2", {5880, 360, 3735, 975}},
        {"Frame1", {5880, 1920, 3975, 3975}}, {"Frame8", {6480, 1440, 3375, 3975}},
        {"Frame5", {2280, 480, 2895, 1335}},
        // in Frame2
        {"Combo4", {120, 240, 2175, 315}}, {"Text12", {120, 600, 2175, 285}},
        {"Command10", {2400, 240, 1215, 255}}, {"Command12", {2400, 600, 1215, 255}},
        // in Frame1: a row every 360, captions at 120, fields at 1440
        {"ProfileNameLabel", {120, 960, 1215, 255}}, {"Combo2", {1440, 960, 2175, 315}},
        {"UserNameLabel", {120, 1320, 1215, 255}}, {"Text4", {1440, 1320, 2175, 285}},
        {"PasswordLabel", {120, 1680, 1215, 255}}, {"Text5", {1440, 1680, 2175, 285}},
        {"LocationLabel", {120, 2040, 1215, 255}}, {"Text8", {1440, 2040, 2175, 285}},
        {"DatabaseNameLabel", {120, 2400, 1215, 255}}, {"Text9", {1440, 2400, 2175, 285}},
        {"DBPasswordLabel", {120, 2760, 1215, 255}}, {"Text10", {1440, 2760, 2175, 285}},
        {"DatabaseTypeLabel", {120, 3120, 1215, 255}}, {"Combo1", {1440, 3120, 2175, 315}},
        {"Check1", {240, 240, 3495, 240}}, {"Check4", {240, 480, 3255, 240}},
        {"Command4", {720, 3600, 1215, 255}}, {"Command5", {2160, 3600, 1215, 255}},
        // in Frame5
        {"QueryBoxFontSizeLabel", {240, 240, 1935, 255}}, {"Text14", {2040, 240, 615, 285}},
        {"QueryOutputDataBoxLabel", {240, 600, 1935, 255}}, {"Text15", {2040, 600, 615, 285}},
        {"Command14", {480, 960, 855, 255}}, {"Command15", {1560, 960, 855, 255}},
        // in Frame8
        {"Command19", {240, 240, 1335, 315}}, {"Command20", {1800, 240, 1335, 315}},
        {"List1", {240, 600, 2895, 3180}},
    };
    // clang-format on
    for (const Placed& p : table) {
        // Every designed length is a whole number of pixels, so it must come back exactly.
        for (int v : {p.rect.left, p.rect.top, p.rect.width, p.rect.height})
            ASSERT_EQ(v % ui::twipsPerPixel, 0) << p.name;
        if (auto* w = find<QWidget>(p.name)) {
            EXPECT_EQ(ui::twipsGeometry(w), p.rect) << p.name;
        }
    }
}

TEST_F(Form1Test, TheOutputViewsShareTheOutputArea)
{
    const ui::TwipsRect area = ui::twipsGeometry(form->Text2);
    EXPECT_EQ(ui::twipsGeometry(form->MSFlexGrid1), area);
    EXPECT_EQ(ui::twipsGeometry(form->Frame4), area);
    EXPECT_EQ(form->MSFlexGrid1->parentWidget(), form->Text2->parentWidget());
    EXPECT_EQ(form->Frame4->parentWidget(), form->Text2->parentWidget());
}

TEST_F(Form1Test, TheDataGridSpansItsFrameBelowTheOptions)
{
    const ui::TwipsRect grid = ui::twipsGeometry(form->DataGrid1);
    EXPECT_EQ(grid.left, 0);
    EXPECT_EQ(grid.width, ui::twipsGeometry(form->Frame4).width);
    for (QWidget* above : {static_cast<QWidget*>(form->Option4), static_cast<QWidget*>(form->Option5),
                           static_cast<QWidget*>(form->Label12)}) {
        const ui::TwipsRect r = ui::twipsGeometry(above);
        EXPECT_LE(r.top + r.height, grid.top) << above->objectName().toStdString();
    }
}

TEST_F(Form1Test, TheWindowOpensWithItsDesignedSurfaceAndPlace)
{
    form->show();
    const QWidget* surface = form->centralWidget();
    EXPECT_EQ(ui::twips(surface->width()), 10050);
    EXPECT_EQ(ui::twips(surface->height() + form->statusBar()->height()), 6360)
        << "the status bar is part of the surface";
    const QPoint origin = surface->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(ui::twips(origin.x()), 165);
    EXPECT_EQ(ui::twips(origin.y()), 1020);
}

// --- caption, exit, about ---------------------------------------------------------------

TEST_F(Form1Test, ExitAsksAndOnlyYesEndsTheProgram)
{
    qvtest::ScriptedDialogs script;
    form->show();
    script.answer(ui::Answer::No);
    form->Exitm->trigger();
    const auto shown = script.take();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, qvtest::ShownDialog::Question);
    EXPECT_EQ(shown[0].text, "Are You sure you want to Exit");
    EXPECT_EQ(shown[0].title, "");
    EXPECT_EQ(shown[0].buttons, ui::Buttons::YesNo);
    EXPECT_EQ(programEnds, 0);
    EXPECT_TRUE(form->isVisible());

    script.answer(ui::Answer::Yes);
    form->Exitm->trigger();
    ASSERT_EQ(script.take().size(), 1);
    EXPECT_EQ(programEnds, 1);
}

TEST_F(Form1Test, ClosingTheWindowEndsTheProgramWithoutAsking)
{
    qvtest::ScriptedDialogs script; // any question would fail the test
    form->show();

    EXPECT_TRUE(form->close());

    EXPECT_EQ(programEnds, 1);
    EXPECT_TRUE(script.take().isEmpty());
}

TEST_F(Form1Test, AboutShowsTheProductAndTheMakersLinesJoinedWithCrLf)
{
    qvtest::ScriptedDialogs script;

    form->About->trigger();

    const auto shown = script.take();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].kind, qvtest::ShownDialog::Message);
    EXPECT_EQ(shown[0].title, "Quorvane");
    EXPECT_EQ(shown[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(shown[0].icon, ui::Icon::None);
    EXPECT_EQ(shown[0].text, app::aboutText());

    const QString text = shown[0].text;
    EXPECT_FALSE(text.contains(QRegularExpression(QStringLiteral("\r(?!\n)|(?<!\r)\n"))))
        << "every line break is CR LF";
    const QStringList lines = text.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 7);
    EXPECT_EQ(lines[0], "Quorvane 2.1");
    EXPECT_EQ(lines[1], "");
    for (int i = 2; i < 7; ++i)
        EXPECT_FALSE(lines[i].trimmed().isEmpty()) << "line " << i + 1;
    EXPECT_TRUE(lines[4].contains(QLatin1Char('@')) && lines[5].contains(QLatin1Char('@')))
        << "two contact addresses";
    EXPECT_NE(lines[4], lines[5]);
    EXPECT_TRUE(lines[6].contains(maker::webSite));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Quorvane 2.1 - ") + maker::webName);
}

TEST(Maker, EveryAddressLiesInAReservedExampleDomain)
{
    for (const QString& address :
         {QString(maker::webName), QString(maker::webSite), QString(maker::supportMail),
          QString(maker::suggestionMail), maker::helpAddress()})
        EXPECT_TRUE(address.contains(QRegularExpression(QStringLiteral(R"(\bexample\.(com|org|net)\b)"))))
            << address.toStdString();
}

} // namespace
