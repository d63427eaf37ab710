// What the user does with a result and with the query box as a file: the Data Output to File
// mode, the result grid's pop-up menu Rmenu (clipboard copies, row and column deletes), the
// File menu's exports and query files, and Import into the previous-queries list. The work is
// done in results/; each handler here hands it the controls it needs.
#include "app/Form1.h"
#include "results/Clipboard.h"
#include "results/Csv.h"
#include "results/Export.h"
#include "results/FormFile.h"
#include "results/GridDeletes.h"
#include "results/QueryFiles.h"
#include "ui/BoxText.h"
#include "ui/Dialogs.h"
#include "ui/Failure.h"
#include "ui/MSFlexGrid.h"
#include "ui/Twips.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>

void Form1::connectResultActions()
{
    connect(DataOutputtoFile, &QAction::triggered, this, &Form1::DataOutputtoFile_Click);
    connect(MSFlexGrid1, &ui::MSFlexGrid::mousePressed, this,
            [this](Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint globalPos) {
                const int code = button == Qt::LeftButton ? 1 : button == Qt::RightButton ? 2 : 4;
                const QPoint at = MSFlexGrid1->mapFromGlobal(globalPos);
                MSFlexGrid1_MouseDown(code, shift, ui::twips(at.x()), ui::twips(at.y()));
            });
    connect(CopySelectRowstoClipboard, &QAction::triggered, this, &Form1::CopySelectRowstoClipboard_Click);
    connect(CopyCurrentColumntoClipboard, &QAction::triggered, this,
            &Form1::CopyCurrentColumntoClipboard_Click);
    connect(CopyCurrentCellData, &QAction::triggered, this, &Form1::CopyCurrentCellData_Click);
    connect(DeleteRow, &QAction::triggered, this, &Form1::DeleteRow_Click);
    connect(DeleteColumn, &QAction::triggered, this, &Form1::DeleteColumn_Click);
    connect(ExportClipboard, &QAction::triggered, this, &Form1::ExportClipboard_Click);
    connect(ExportData, &QAction::triggered, this, &Form1::ExportData_Click);
    connect(FileOpen, &QAction::triggered, this, &Form1::FileOpen_Click);
    connect(FileSave, &QAction::triggered, this, &Form1::FileSave_Click);
    connect(FileSaveAsSpecify, &QAction::triggered, this, &Form1::FileSaveAsSpecify_Click);
    connect(Command19, &QPushButton::clicked, this, &Form1::Command19_Click);
    connect(ExportCsv, &QAction::triggered, this, &Form1::ExportCsv_Click);
    connect(CopyAsCsv, &QAction::triggered, this, &Form1::CopyAsCsv_Click);
}

// --- Data Output to File ----------------------------------------------------------------

void Form1::DataOutputtoFile_Click()
{
    if (DataOutputtoFile->isChecked()) {
        DataOutputtoFile->setChecked(false);
        return;
    }
    // Clears the export target first; a cancelled chooser leaves it empty, and the next run
    // then reports the file it cannot write.
    ui::guarded([&] { results::chooseFile(results::ChosenPath::ExportTarget, this); });
    DataOutputtoFile->setChecked(true);
}

// --- the result grid's pop-up menu ------------------------------------------------------

void Form1::MSFlexGrid1_MouseDown(int button, Qt::KeyboardModifiers /*shift*/, int x, int y)
{
    if (button != 2)
        return;
    // Shown and left open: the program goes on, and the chosen entry's handler does the work.
    Rmenu->popup(MSFlexGrid1->mapToGlobal(QPoint(ui::pixels(x), ui::pixels(y))));
}

void Form1::CopySelectRowstoClipboard_Click()
{
    results::copySelectedRows(*MSFlexGrid1);
}

void Form1::CopyCurrentColumntoClipboard_Click()
{
    results::copySelectedColumns(*MSFlexGrid1);
}

void Form1::CopyCurrentCellData_Click()
{
    results::copyCurrentCell(*MSFlexGrid1);
}

void Form1::CopyAsCsv_Click()
{
    results::copyAsCsv(*MSFlexGrid1);
}

void Form1::DeleteRow_Click()
{
    results::deleteSelectedRows(*MSFlexGrid1);
}

void Form1::DeleteColumn_Click()
{
    results::deleteSelectedColumns(*MSFlexGrid1);
}

// --- File menu: exports and query files -------------------------------------------------

void Form1::ExportClipboard_Click()
{
    results::exportClipboard(*MSFlexGrid1);
}

void Form1::ExportData_Click()
{
    results::exportData(*MSFlexGrid1, this);
}

void Form1::ExportCsv_Click()
{
    results::exportCsv(*MSFlexGrid1, this);
}

void Form1::FileOpen_Click()
{
    results::fileOpen(this, [this](const QString& text) { Text1->setPlainText(text); });
}

void Form1::FileSave_Click()
{
    results::fileSave(this, ui::boxText(Text1));
}

void Form1::FileSaveAsSpecify_Click()
{
    results::fileSaveAs(this, ui::boxText(Text1));
}

// --- Import into the previous-queries list ----------------------------------------------

void Form1::Command19_Click()
{
    results::importStatements(this, [this](const QString& statement) { List1->addItem(statement); });
}
