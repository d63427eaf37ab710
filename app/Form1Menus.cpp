// The main window's menu bar and its two pop-up menus.
#include "app/Form1.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QMenu* menu(QWidget* parent, const char* name, const QString& caption)
{
    auto* m = new QMenu(caption, parent);
    m->setObjectName(QLatin1String(name));
    m->menuAction()->setObjectName(QLatin1String(name) + QLatin1String("Action"));
    return m;
}

QAction* item(QMenu* menu, const char* name, const QString& caption)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    return a;
}

// An entry that shows a check mark. Qt flips a checkable entry's mark before `triggered`
// reaches anyone; this puts it back at once, so the entry's own handler (connected later)
// finds the mark as it was at the click and changes it itself.
QAction* checkItem(QMenu* menu, const char* name, const QString& caption, bool checked = false)
{
    QAction* a = item(menu, name, caption);
    a->setCheckable(true);
    a->setChecked(checked);
    QObject::connect(a, &QAction::triggered, a, [a](bool now) { a->setChecked(!now); });
    return a;
}

} // namespace

void Form1::createMenus()
{
    FileM = menu(this, "FileM", QStringLiteral("File"));
    FileOpen = item(FileM, "FileOpen", QStringLiteral("File Open"));
    FileSave = item(FileM, "FileSave", QStringLiteral("File Save"));
    FileSaveAsSpecify = item(FileM, "FileSaveAsSpecify", QStringLiteral("File Save As (Specify)"));
    FileM->addSeparator();
    ExportData = item(FileM, "ExportData", QStringLiteral("Export Data to File"));
    ExportClipboard = item(FileM, "ExportClipboard", QStringLiteral("Export Data to Clipboard"));
    ExportCsv = item(FileM, "ExportCsv", QStringLiteral("Export as CSV\u2026"));
    FileM->addSeparator();
    Exitm = item(FileM, "Exitm", QStringLiteral("Exit"));

    OptionsM = menu(this, "OptionsM", QStringLiteral("Options"));
    AutomacticallySaveSqlStatements = checkItem(OptionsM, "AutomacticallySaveSqlStatements",
                                                QStringLiteral("Automactically Save Current Sql Statements"));
    AutomaticallySaveAllSQLStatements = checkItem(OptionsM, "AutomaticallySaveAllSQLStatements",
                                                  QStringLiteral("Automatically Save All SQL Statements"));
    RunOnlySelectedText =
        checkItem(OptionsM, "RunOnlySelectedText", QStringLiteral("Run Only Selected Text"), true);
    StayonTopWindow = checkItem(OptionsM, "StayonTopWindow", QStringLiteral("Quorvane Stay on Top "));
    LoadLastProfileonStartup =
        checkItem(OptionsM, "LoadLastProfileonStartup", QStringLiteral("Load Last Profile on Startup"));
    MFontSettings = item(OptionsM, "MFontSettings", QStringLiteral("Font Settings"));
    MQuerys = item(OptionsM, "MQuerys", QStringLiteral("Previous Querys"));
    OptionsM->addSeparator();
    DataGrid = checkItem(OptionsM, "DataGrid", QStringLiteral("Data Grid"));
    PlainText = checkItem(OptionsM, "PlainText", QStringLiteral("Plain Text"));
    DirectEdit = checkItem(OptionsM, "DirectEdit", QStringLiteral("Direct Edit"));
    DataOutputtoFile = checkItem(OptionsM, "DataOutputtoFile", QStringLiteral("Data Output to File"));

    HelpM = menu(this, "HelpM", QStringLiteral("Help"));
    About = item(HelpM, "About", QStringLiteral("About"));
    Help = item(HelpM, "Help", QStringLiteral("Help"));

    menuBar()->addMenu(FileM);
    menuBar()->addMenu(OptionsM);
    menuBar()->addMenu(HelpM);

    Rmenu = menu(this, "Rmenu", QStringLiteral("Rmenu"));
    CopySelectRowstoClipboard =
        item(Rmenu, "CopySelectRowstoClipboard", QStringLiteral("Copy Selected Rows to Clipboard"));
    CopyCurrentColumntoClipboard =
        item(Rmenu, "CopyCurrentColumntoClipboard", QStringLiteral("Copy Selected Columns to Clipboard"));
    Rmenu->addSeparator();
    DeleteRow = item(Rmenu, "DeleteRow", QStringLiteral("Delete the Selected Rows"));
    DeleteColumn = item(Rmenu, "DeleteColumn", QStringLiteral("Delete the Selected Columns"));
    Rmenu->addSeparator();
    CopyCurrentCellData =
        item(Rmenu, "CopyCurrentCellData", QStringLiteral("Copy Current Cell to Clipboard"));
    Rmenu->addSeparator();
    CopyAsCsv = item(Rmenu, "CopyAsCsv", QStringLiteral("Copy as CSV"));

    UndoMenu = menu(this, "UndoMenu", QStringLiteral("UndoMenu"));
    Undo = item(UndoMenu, "Undo", QStringLiteral("Undo "));
}
