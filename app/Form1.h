#pragma once

#include "app/Layout.h"
#include "profiles/PasswordTable.h"
#include "profiles/QueryTextKeeper.h"
#include "ui/PlainTextView.h"

#include <QMainWindow>
#include <QSystemTrayIcon>
#include <memory>

class Form2;
class QAction;
class QCheckBox;
class QCloseEvent;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;

namespace ui {
class MSFlexGrid;
class Timer;
} // namespace ui
namespace app {
class PanelStatusBar;
}

// The main window and the program's start object. Every control and menu entry is a public
// member named as the window's design names it, with the same objectName, so that callers
// and tests drive it as a user would. Positions are laid out absolutely, in twips, on the
// window's surface (the central widget) and inside the frames.
//
// Menu entries that carry a check mark keep it until their own handler changes it: Qt would
// flip a checkable entry before `triggered` reaches the handler, so the window puts the mark
// back first. A handler connected to `triggered` therefore reads the mark as it was when the
// entry was clicked, and sets or clears it itself.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Start-up, run once after construction.
    void Form_Load();
    // Ends the whole program at once; nothing is saved here. A run still reading stops at
    // its next record.
    void Form_Unload();

    void Exitm_Click();
    void About_Click();

    // --- the run and its output (Form1Run.cpp) ---
    void Command1_Click(); // Run
    void Command9_Click(); // Cancel: the run stops reading at the next record
    void RunOnlySelectedText_Click();
    // Typing in the query box runs nothing.
    void Text1_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    void Combo1_Click();  // the database type chosen from the list
    void Option1_Click(); // plain text
    void Option2_Click(); // result grid
    void PlainText_Click();
    void DataGrid_Click();
    void DirectEdit_Click();
    void DataGridReadWrite(); // the data grid's permissions from Option4 / Option5
    void Option4_Click();     // Read Only
    void Option5_Click();     // Read/Write
    // The busy pointer of a run over the window's surface, its menus and status bar (Cancel
    // and the text boxes keep their own pointers).
    void setBusyPointer(bool busy);

    // --- the data grid of direct edit (Form1DirectEdit.cpp) ---
    // A button pressed over the data grid (1 left, 2 right), at x, y twips in it: the right
    // button pops up UndoMenu there.
    void DataGrid1_MouseDown(int button, Qt::KeyboardModifiers shift, int x, int y);
    // A key pressed in the data grid: Delete deletes the selected rows, after asking, where AllowDelete lets
    // it. True when the key was used.
    bool DataGrid1_KeyDown(int keyCode, Qt::KeyboardModifiers shift);
    // Writes the fetched value of the data grid's current cell back into it.
    void Undo_Click();

    // --- result actions: file output, the grid's pop-up menu, export, query files, Import
    // (Form1ResultActions.cpp) ---
    void DataOutputtoFile_Click();
    // A button pressed over the result grid (1 left, 2 right), at x, y twips in it: the right
    // button pops up Rmenu there.
    void MSFlexGrid1_MouseDown(int button, Qt::KeyboardModifiers shift, int x, int y);
    void CopySelectRowstoClipboard_Click();
    void CopyCurrentColumntoClipboard_Click();
    void CopyCurrentCellData_Click();
    void DeleteRow_Click();
    void DeleteColumn_Click();
    void ExportClipboard_Click();
    void ExportData_Click();
    void FileOpen_Click();
    void FileSave_Click();
    void FileSaveAsSpecify_Click();
    void Command19_Click(); // Import
    void ExportCsv_Click();
    void CopyAsCsv_Click();

    // --- connection fields (Form1Connection.cpp) ---
    // The type box's text changed: the empty boxes hint at what this type expects, and Browse
    // shows for a type kept in a file.
    void Combo1_Change();
    // Chooses the database file for the Location box (SQLite, Access).
    void BrowseLocation_Click();

    // --- the window's place, kept between runs (Form1Place.cpp) ---
    void SaveWindowPlace();

    // --- keys (Form1Keys.cpp) ---
    // F5 and Ctrl+Enter run as the Run button does, Esc cancels a run as Cancel does; Ctrl+C in
    // either grid copies the selected cells, tab-separated under a line of column names.
    void RunKey_Click();
    void CancelKey_Click();
    // A key pressed in the result grid: Ctrl+C copies the selected cells. True when used.
    bool MSFlexGrid1_KeyDown(int keyCode, Qt::KeyboardModifiers shift);

    // --- the tools window (Form1Tools.cpp) ---
    void Command2_Click(); // Tools: shows Form2, created on the first click
    Form2* toolsWindow = nullptr;

    // --- tray, stay on top, help (Form1Tray.cpp) ---
    void Command8_Click(); // Minimize
    void AddIconTray();
    // An event of the tray icon: a left or right press shows the window again.
    void Tray_Activated(QSystemTrayIcon::ActivationReason reason);
    void StayonTopWindow_Click();
    void Help_Click();

    // --- connection profiles ---
    void LoadProfiles();     // refills the profile list from the store
    void Combo2_Click();     // loads the profile named in the profile box
    void Combo2_LostFocus(); // refills the quick-query list
    void Command4_Click();   // Save Profile
    void Command5_Click();   // Delete Profile, after asking
    void Text10_Change();    // remembers a typed database password for the run
    void Text9_LostFocus();  // names an unnamed profile after its database
    void Check2_Click();     // shows or hides the profile panel
    void LoadLastProfileonStartup_Click();

    // --- statements kept and previous queries ---
    // Keeps the query text with the profile while Check1 is ticked: within
    // Text1KeepTimer's interval of the change, written by a thread of its own, so that a
    // keystroke never waits on the disk.
    void Text1_Change();
    // Stores a query text still waiting now, and waits until it is stored (before another
    // profile is loaded, saved or deleted, before a run, at the end of the program).
    void flushQueryTextKeep();
    ui::Timer* Text1KeepTimer = nullptr;
    void Check1_Click();
    void Check4_Click();
    void AutomacticallySaveSqlStatements_Click();
    void AutomaticallySaveAllSQLStatements_Click();
    // A run's statement log: while Check4 is ticked, appends the query box to the log once per
    // distinct text and lists it in List1 unless the list holds it. Never fails.
    void LogStatement();
    void MQuerys_Click();
    void Command20_Click(); // Hide
    void List1_Click();     // the chosen item back into the query box

    // --- quick queries ---
    void Combo4_Click();
    void Command10_Click(); // Add Query
    void Command12_Click(); // Remove Query
    void Check5_Click();    // shows or hides the quick-query panel and keeps the choice

    // --- fonts ---
    void MFontSettings_Click();
    void Command14_Click(); // OK
    void Command15_Click(); // Cancel

    // --- layout ---
    void Form_Resize();
    // A pointer move over the window's own surface, in twips: the border between the query
    // box and the output area.
    void Form_MouseMove(Qt::MouseButtons buttons, int x, int y);

    // --- controls on the window's surface ---
    QPlainTextEdit* Text1 = nullptr;    // the query box
    QPushButton* Command1 = nullptr;    // "&Run"
    QPushButton* Command9 = nullptr;    // "Cancel": enabled while a run reads rows
    QPushButton* Command8 = nullptr;    // "Minimize"
    QPushButton* Command2 = nullptr;    // "Tools"
    QRadioButton* Option1 = nullptr;    // "Plain Text"
    QRadioButton* Option2 = nullptr;    // "Data Grid"
    QCheckBox* Check2 = nullptr;        // "Show / Hide Profile Menu"
    QCheckBox* Check5 = nullptr;        // "Show / Hide Quick Query"
    ui::PlainTextView* Text2 = nullptr; // plain-text output; its rectangle is the output area
    ui::MSFlexGrid* MSFlexGrid1 = nullptr;
    app::PanelStatusBar* StatusBar1 = nullptr;

    // --- Frame1 "Profile Options" ---
    QGroupBox* Frame1 = nullptr;
    QLabel* ProfileNameLabel = nullptr;
    QComboBox* Combo2 = nullptr; // profile name
    QLabel* UserNameLabel = nullptr;
    QLineEdit* Text4 = nullptr;
    QLabel* PasswordLabel = nullptr;
    QLineEdit* Text5 = nullptr; // masked
    QLabel* LocationLabel = nullptr;
    QLineEdit* Text8 = nullptr;
    QPushButton* BrowseLocation = nullptr; // "…": a database file for Location
    QLabel* DatabaseNameLabel = nullptr;
    QLineEdit* Text9 = nullptr;
    QLabel* DBPasswordLabel = nullptr;
    QLineEdit* Text10 = nullptr; // masked
    QLabel* DatabaseTypeLabel = nullptr;
    QComboBox* Combo1 = nullptr; // database type
    QCheckBox* Check1 = nullptr;
    QCheckBox* Check4 = nullptr;
    QPushButton* Command4 = nullptr; // "Save Profile"
    QPushButton* Command5 = nullptr; // "Delete Profile"

    // --- Frame2 "Quick Query" ---
    QGroupBox* Frame2 = nullptr;
    QComboBox* Combo4 = nullptr;
    QLineEdit* Text12 = nullptr;
    QPushButton* Command10 = nullptr; // "Add Query"
    QPushButton* Command12 = nullptr; // "Remove Query"

    // --- Frame5 "Font Settings" ---
    QGroupBox* Frame5 = nullptr;
    QLabel* QueryBoxFontSizeLabel = nullptr;
    QLineEdit* Text14 = nullptr;
    QLabel* QueryOutputDataBoxLabel = nullptr;
    QLineEdit* Text15 = nullptr;
    QPushButton* Command14 = nullptr; // "OK"
    QPushButton* Command15 = nullptr; // "Cancel"

    // --- Frame4: the data grid for direct edit (no caption) ---
    QGroupBox* Frame4 = nullptr;
    QTableView* DataGrid1 = nullptr;
    QRadioButton* Option4 = nullptr; // "Read Only"
    QRadioButton* Option5 = nullptr; // "Read/Write"
    QLabel* Label12 = nullptr;       // the warning

    // --- Frame8 "Querys" ---
    QGroupBox* Frame8 = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* Command19 = nullptr; // "Import"
    QPushButton* Command20 = nullptr; // "Hide"

    // --- menu bar ---
    QMenu* FileM = nullptr;
    QAction* FileOpen = nullptr;
    QAction* FileSave = nullptr;
    QAction* FileSaveAsSpecify = nullptr;
    QAction* ExportData = nullptr;
    QAction* ExportClipboard = nullptr;
    QAction* ExportCsv = nullptr; // "Export as CSV…"
    QAction* Exitm = nullptr;

    QMenu* OptionsM = nullptr;
    QAction* AutomacticallySaveSqlStatements = nullptr;
    QAction* AutomaticallySaveAllSQLStatements = nullptr;
    QAction* RunOnlySelectedText = nullptr;
    QAction* StayonTopWindow = nullptr;
    QAction* LoadLastProfileonStartup = nullptr;
    QAction* MFontSettings = nullptr;
    QAction* MQuerys = nullptr;
    QAction* DataGrid = nullptr;
    QAction* PlainText = nullptr;
    QAction* DirectEdit = nullptr;
    QAction* DataOutputtoFile = nullptr;

    QMenu* HelpM = nullptr;
    QAction* About = nullptr;
    QAction* Help = nullptr;

    // --- pop-up menus (never in the menu bar) ---
    QMenu* Rmenu = nullptr; // of the result grid
    QAction* CopySelectRowstoClipboard = nullptr;
    QAction* CopyCurrentColumntoClipboard = nullptr;
    QAction* DeleteRow = nullptr;
    QAction* DeleteColumn = nullptr;
    QAction* CopyCurrentCellData = nullptr;
    QAction* CopyAsCsv = nullptr; // "Copy as CSV": the selected cells

    QMenu* UndoMenu = nullptr; // of the data grid
    QAction* Undo = nullptr;

    // --- keys of the whole window, in no menu ---
    QAction* RunKey = nullptr;    // F5, Ctrl+Enter: as Run
    QAction* CancelKey = nullptr; // Esc: as Cancel, while a run reads rows

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void createProfileFrame();
    void createQuickQueryFrame();
    void createFontFrame();
    void createDataGridFrame();
    void createQuerysFrame();
    void createMenus();
    void placeWindow();

    // The run (Form1Run.cpp), the tray (Form1Tray.cpp), the workspace (Form1Workspace.cpp) and
    // the layout (Form1Layout.cpp).
    void connectRun();
    void startOutput();
    bool runEvent(QObject* watched, QEvent* event);
    void connectDirectEdit();
    void connectResultActions();
    void connectKeys();
    void connectConnectionFields();
    void connectPlace();
    void restoreWindowPlace();
    void windowPlaceChanged();
    bool keyEvent(QObject* watched, QEvent* event);
    bool directEditEvent(QObject* watched, QEvent* event);
    void connectTray();
    void connectTools();
    void stopTools();
    void connectWorkspace();
    void connectLayout();
    void startWorkspace();
    void fillQuickQueryList();
    void setQueryBoxFontSize(float points);
    bool workspaceEvent(QObject* watched, QEvent* event);
    bool layoutEvent(QObject* watched, QEvent* event);

    Qt::CursorShape restingPointer() const; // the arrow, or the busy pointer during a run
    bool busy_ = false;

    profiles::PasswordTable passwords_; // this run's passwords, never stored
    bool fillingPasswords_ = false;     // the password boxes are being filled, not typed in
    QString queryTextKeepProfile_;      // the profile whose query text Text1KeepTimer keeps
    std::unique_ptr<profiles::QueryTextKeeper> queryTextKeeper_;
    app::Splitter splitter_;
    QTimer* placeTimer_ = nullptr; // writes the window's place once it has settled
    bool placeRestored_ = false;
};
