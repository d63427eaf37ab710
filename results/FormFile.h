#pragma once

#include <QComboBox>
#include <QDialog>
#include <QListWidget>
#include <QTreeWidget>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// The program's one file chooser, FormFile (caption "File"), with the export options whose
// delimiter the clipboard copies use as well. It is loaded on first use and afterwards only
// hidden, so its delimiter and lists keep their state until the program ends.
namespace results {

// Drive1: the file-system roots and mounted volumes, each shown and kept as its root path.
class DriveList : public QComboBox
{
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);
    // The chosen drive's root path.
    QString drive() const;
    // Chooses the drive whose root is `root`, or the volume that holds the folder `root`;
    // false (and nothing changes) when there is none.
    bool setDrive(const QString& root);
    // Lists the roots and volumes again.
    void refresh();
};

// Dir1: a folder tree. The chosen folder is shown under the chain of its parent folders,
// with its own subfolders below it; any subfolder opens when expanded. Activating a folder
// (double click, Enter) makes it the chosen one.
class DirList : public QTreeWidget
{
    Q_OBJECT
public:
    explicit DirList(QWidget* parent = nullptr);
    // The chosen folder, with the platform's separators.
    QString path() const { return path_; }
    // Chooses `folder`; false (and nothing changes) when it is not an existing folder.
    bool setPath(const QString& folder);

signals:
    // The chosen folder changed (Dir1's Change event).
    void pathChanged();

private:
    void fillChildren(QTreeWidgetItem* item);
    QString path_;
};

// File1: the file names of one folder, sorted.
class FileList : public QListWidget
{
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);
    QString path() const { return path_; }
    // Lists the files of `folder`; false (and nothing changes) when it is not a folder.
    bool setPath(const QString& folder);
    // The clicked (current) file's name; "" when none.
    QString fileName() const;

private:
    QString path_;
};

// `folder`, the platform's separator and `name`, without a doubled separator where the
// folder already ends in one (a root folder).
QString joinPath(const QString& folder, const QString& name);

// Which of the program's two paths the chooser's OK sets.
enum class ChosenPath { QueryFile, ExportTarget };

class FormFile : public QDialog
{
    Q_OBJECT
public:
    explicit FormFile(QWidget* parent = nullptr);

    // --- controls, with their designed names ---
    DriveList* Drive1 = nullptr;
    DirList* Dir1 = nullptr;
    FileList* File1 = nullptr;
    QWidget* Frame2 = nullptr;   // the frame below the lists: file box, options and buttons
    QLineEdit* Text2 = nullptr;  // the chosen file
    QGroupBox* Frame1 = nullptr; // "Export Options"
    QLineEdit* Text10 = nullptr; // the delimiter
    QLabel* Label4 = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox* Check1 = nullptr;     // "Export the Column Headers"
    QPushButton* Command1 = nullptr; // "OK"
    QPushButton* Command2 = nullptr; // "Cancel"

    // --- handlers ---
    void Form_Load();   // restores the four "FileSettings" keys
    void Form_Resize(); // the resize rules
    void Drive1_Change();
    void Dir1_Change();
    void File1_Click();
    void Text10_LostFocus();
    void Command1_Click(); // OK
    void Command2_Click(); // Cancel

    // The export delimiter: Text10's text, a tab when the box is empty.
    QString delimiter() const;
    // Whether the field-name row is exported (Check1).
    bool exportColumnHeaders() const;

    // The path that the next OK sets.
    void setChosenPath(ChosenPath which) { chosenPath_ = which; }

    // The designed size of the window's surface, in twips.
    static constexpr int designedWidth = 7215;
    static constexpr int designedHeight = 5370;

protected:
    // The drive list is read again each time the chooser is shown (volumes come and go).
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void reject() override;

private:
    ChosenPath chosenPath_ = ChosenPath::ExportTarget;
};

// The program's chooser, loaded (invisibly) on first use; nullptr-safe across its owner's
// end: when the window that owned it is gone, the next use loads a new one.
FormFile& formFile();
// The chooser when it has been loaded, else nullptr (loads nothing).
FormFile* loadedFormFile();

// The export delimiter and the column-header option, read from the chooser (loading it
// invisibly when needed).
QString exportDelimiter();
bool exportColumnHeaders();

// The export target: set by the chooser's OK for the export commands; "" when none.
QString exportTarget();
void setExportTarget(const QString& path);

// Clears the path `which`, shows the chooser modally (through ui::dialogs()) with `owner` as
// its owner, and returns the path chosen: "" when the chooser was cancelled or confirmed
// empty. The current query file is the statement log's (query::currentQueryFile()).
QString chooseFile(ChosenPath which, QWidget* owner);

} // namespace results
