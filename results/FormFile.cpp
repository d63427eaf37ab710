#include "results/FormFile.h"

#include "query/log/StatementLog.h"
#include "settings/SettingsStore.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QCollator>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStorageInfo>
#include <algorithm>

namespace results {
namespace {

using ui::named;
using ui::place;

constexpr int pathRole = Qt::UserRole;

QStringList sortedNames(QStringList names)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    std::sort(names.begin(), names.end(), collator);
    return names;
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(QDir::cleanPath(path));
}

QString& exportTargetStorage()
{
    static QString path;
    return path;
}

QPointer<FormFile>& formFileStorage()
{
    static QPointer<FormFile> form;
    return form;
}

} // namespace

QString joinPath(const QString& folder, const QString& name)
{
    const QChar separator = QDir::separator();
    QString path = QDir::toNativeSeparators(folder);
    if (!path.isEmpty() && !path.endsWith(separator))
        path += separator;
    return path + name;
}

// --- Drive1 ---

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    refresh();
}

void DriveList::refresh()
{
    QStringList roots;
    for (const QFileInfo& drive : QDir::drives())
        roots << native(drive.absoluteFilePath());
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Only volumes that are folders (a container may mount single files) and ready.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir())
            roots << native(volume.rootPath());
    }
    roots.removeDuplicates();
    const QString current = drive();
    const QSignalBlocker blocker(this);
    clear();
    addItems(sortedNames(roots));
    const int keep = findText(current);
    setCurrentIndex(keep >= 0 ? keep : 0);
}

QString DriveList::drive() const
{
    return currentText();
}

bool DriveList::setDrive(const QString& root)
{
    if (root.isEmpty())
        return false;
    int index = findText(native(root));
    if (index < 0) {
        // A folder: the volume that holds it.
        const QFileInfo info(root);
        if (!info.exists())
            return false;
        index = findText(native(QStorageInfo(info.absoluteFilePath()).rootPath()));
        if (index < 0)
            return false;
    }
    setCurrentIndex(index);
    return true;
}

// --- Dir1 ---

DirList::DirList(QWidget* parent) : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setColumnCount(1);
    setRootIsDecorated(true);
    connect(this, &QTreeWidget::itemExpanded, this, [this](QTreeWidgetItem* item) { fillChildren(item); });
    connect(this, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { setPath(item->data(0, pathRole).toString()); });
}

void DirList::fillChildren(QTreeWidgetItem* item)
{
    if (item->childCount() > 0)
        return;
    const QString folder = item->data(0, pathRole).toString();
    const QStringList names = sortedNames(
        QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks | QDir::Readable));
    for (const QString& name : names) {
        auto* child = new QTreeWidgetItem(item, {name});
        child->setData(0, pathRole, joinPath(folder, name));
        child->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    }
    if (names.isEmpty())
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

bool DirList::setPath(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    const QFileInfo info(folder);
    if (!info.isDir())
        return false;
    const QString path = native(info.absoluteFilePath());

    // The chain of folders from the root down to the chosen one.
    QStringList chain;
    QDir dir(info.absoluteFilePath());
    while (true) {
        chain.prepend(native(dir.absolutePath()));
        if (dir.isRoot() || !dir.cdUp())
            break;
    }

    QSignalBlocker blocker(this);
    clear();
    QTreeWidgetItem* parent = nullptr;
    for (const QString& folderPath : chain) {
        const QString name = parent ? QFileInfo(folderPath).fileName() : folderPath;
        auto* item = parent ? new QTreeWidgetItem(parent, {name}) : new QTreeWidgetItem(this, {name});
        item->setData(0, pathRole, folderPath);
        item->setExpanded(true);
        parent = item;
    }
    fillChildren(parent);
    parent->setExpanded(true);
    setCurrentItem(parent);
    scrollToItem(parent);
    blocker.unblock();

    const bool changed = path != path_;
    path_ = path;
    if (changed)
        emit pathChanged();
    return true;
}

// --- File1 ---

FileList::FileList(QWidget* parent) : QListWidget(parent) {}

bool FileList::setPath(const QString& folder)
{
    if (folder.isEmpty())
        return false;
    const QFileInfo info(folder);
    if (!info.isDir())
        return false;
    path_ = native(info.absoluteFilePath());
    clear();
    addItems(sortedNames(QDir(path_).entryList(QDir::Files)));
    return true;
}

QString FileList::fileName() const
{
    const QListWidgetItem* item = currentItem();
    return item ? item->text() : QString();
}

// --- FormFile ---

FormFile::FormFile(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FormFile"));
    setWindowTitle(QStringLiteral("File"));
    setSizeGripEnabled(true);

    Drive1 = named(new DriveList(this), "Drive1");
    Dir1 = named(new DirList(this), "Dir1");
    File1 = named(new FileList(this), "File1");
    Frame2 = named(new QWidget(this), "Frame2");
    Text2 = named(new QLineEdit(Frame2), "Text2");
    Frame1 = named(new QGroupBox(QStringLiteral("Export Options"), Frame2), "Frame1");
    Label4 = named(
        new QLabel(QStringLiteral("Specifiy Delimiter (Make sure the delimeter is not in the data)"), Frame1),
        "Label4");
    Text10 = named(new QLineEdit(QStringLiteral("|"), Frame1), "Text10");
    Label4->setBuddy(Text10);
    Label1 =
        named(new QLabel(QStringLiteral("\"Leave Delimiter Blank to use Tab Delimeter\""), Frame1), "Label1");
    Check1 = named(new QCheckBox(QStringLiteral("Export the Column Headers"), Frame1), "Check1");
    Check1->setChecked(true);
    Command1 = named(new QPushButton(QStringLiteral("OK"), Frame2), "Command1");
    Command2 = named(new QPushButton(QStringLiteral("Cancel"), Frame2), "Command2");
    Command1->setDefault(true);

    // The designed places, in twips; Form_Resize adapts the lists and the frames.
    place(Drive1, 120, 120, designedWidth / 2, 315);
    place(Dir1, 120, 540, designedWidth / 2, designedHeight - 2780);
    place(File1, designedWidth / 2 + 200, 120, designedWidth / 2 - 400, designedHeight - 2350);
    place(Frame2, 0, 120 + designedHeight - 2350 + 200, designedWidth, 1680);
    place(Text2, 120, 0, designedWidth - 300, 315);
    place(Frame1, 120, 420, 4755, 1215);
    place(Label4, 120, 240, 4515, 225);
    place(Text10, 120, 525, 495, 315);
    place(Label1, 735, 570, 3900, 225);
    place(Check1, 120, 900, 3255, 240);
    place(Command1, 5040, 480, 1095, 375);
    place(Command2, 5040, 960, 1095, 375);
    resize(ui::pixels(designedWidth), ui::pixels(designedHeight));

    connect(Drive1, &QComboBox::currentIndexChanged, this, [this] { Drive1_Change(); });
    connect(Dir1, &DirList::pathChanged, this, [this] { Dir1_Change(); });
    connect(File1, &QListWidget::itemClicked, this, [this] { File1_Click(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    Text10->installEventFilter(this);

    // The lists start at the current folder and its volume.
    Dir1->setPath(QDir::currentPath());
    {
        const QSignalBlocker blocker(Drive1);
        Drive1->setDrive(QDir::currentPath());
    }

    Form_Load();
}

void FormFile::Form_Load()
{
    // Each step on its own: a value that no longer fits the machine (an empty value, a drive
    // or folder that is gone) is skipped and that list keeps what it showed.
    auto restore = [](const settings::Setting& setting) {
        try {
            return settings::store().get(setting);
        } catch (...) {
            return QString();
        }
    };
    Text2->setText(restore(settings::FilePath));
    Drive1->setDrive(restore(settings::Drive1Drive));
    Dir1->setPath(restore(settings::Dir1Path));
    File1->setPath(restore(settings::File1PathRead));
}

void FormFile::Form_Resize()
{
    const int w = ui::twips(frameGeometry().width());
    const int h = ui::twips(frameGeometry().height());
    const int textLeft = ui::twips(Text2->x());
    // Each assignment on its own: one that does not fit (a negative size) is skipped.
    auto setWidth = [](QWidget* control, int twips) {
        if (twips >= 0)
            control->resize(ui::pixels(twips), control->height());
    };
    auto setHeight = [](QWidget* control, int twips) {
        if (twips >= 0)
            control->resize(control->width(), ui::pixels(twips));
    };
    setWidth(Text2, w - textLeft * 5 / 2);
    setWidth(File1, w / 2 - textLeft * 5 / 2 - 100);
    setWidth(Dir1, w / 2);
    setWidth(Drive1, ui::twips(Dir1->width()));
    File1->move(ui::pixels(ui::twips(Dir1->width()) + 200), File1->y());
    setWidth(Frame2, w);
    if (h > 4080) {
        setHeight(Dir1, h - 2580 - 200);
        setHeight(File1, h - 2500 - 50 + 200);
        Frame2->move(Frame2->x(), File1->y() + File1->height() + ui::pixels(200));
    }
}

void FormFile::Drive1_Change()
{
    // A drive that is not ready leaves the folder list as it was.
    Dir1->setPath(Drive1->drive());
}

void FormFile::Dir1_Change()
{
    File1->setPath(Dir1->path());
}

void FormFile::File1_Click()
{
    const QString name = File1->fileName();
    if (!name.isEmpty())
        Text2->setText(joinPath(Dir1->path(), name));
}

void FormFile::Text10_LostFocus()
{
    if (Text10->text().isEmpty())
        Text10->setText(QStringLiteral("\t"));
}

void FormFile::Command1_Click()
{
    const QString chosen = Text2->text();
    if (chosen.isEmpty()) {
        ui::msgBox(QStringLiteral("Please Speicify a file "));
    } else {
        try {
            settings::store().save(settings::Drive1Drive, Drive1->drive());
            settings::store().save(settings::Dir1Path, Dir1->path());
            settings::store().save(settings::File1Path, File1->path());
            settings::store().save(settings::FilePath, chosen);
        } catch (...) {
            // The choice stands even when the store refuses to keep it.
        }
        if (chosenPath_ == ChosenPath::QueryFile)
            query::setCurrentQueryFile(chosen);
        else
            setExportTarget(chosen);
    }
    hide();
}

void FormFile::Command2_Click()
{
    hide();
}

void FormFile::reject()
{
    Command2_Click();
}

QString FormFile::delimiter() const
{
    const QString text = Text10->text();
    return text.isEmpty() ? QStringLiteral("\t") : text;
}

bool FormFile::exportColumnHeaders() const
{
    return Check1->isChecked();
}

void FormFile::showEvent(QShowEvent* event)
{
    Drive1->refresh();
    QDialog::showEvent(event);
}

void FormFile::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Form_Resize();
}

bool FormFile::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == Text10 && event->type() == QEvent::FocusOut)
        Text10_LostFocus();
    return QDialog::eventFilter(watched, event);
}

// --- the program's chooser and its two paths ---

FormFile& formFile()
{
    QPointer<FormFile>& form = formFileStorage();
    if (!form)
        form = new FormFile();
    return *form;
}

FormFile* loadedFormFile()
{
    return formFileStorage().data();
}

QString exportDelimiter()
{
    return formFile().delimiter();
}

bool exportColumnHeaders()
{
    return formFile().exportColumnHeaders();
}

QString exportTarget()
{
    return exportTargetStorage();
}

void setExportTarget(const QString& path)
{
    exportTargetStorage() = path;
}

QString chooseFile(ChosenPath which, QWidget* owner)
{
    if (which == ChosenPath::QueryFile)
        query::setCurrentQueryFile(QString());
    else
        setExportTarget(QString());
    FormFile& form = formFile();
    if (owner && form.parentWidget() != owner)
        form.setParent(owner, form.windowFlags());
    form.setChosenPath(which);
    ui::dialogs().showModal(&form);
    return which == ChosenPath::QueryFile ? query::currentQueryFile() : exportTarget();
}

} // namespace results
