// The connection fields as a newcomer meets them: each empty box hints at what the chosen
// database type expects there, and for a database kept in a file a Browse button beside
// Location chooses that file.
#include "app/Form1.h"
#include "query/ConnectionHints.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

namespace {

// Right of the Location box (Text8: left 1440, top 2040, width 2175, height 285 in Frame1).
constexpr int browseLeft = 3645;
constexpr int browseTop = 2040;
constexpr int browseWidth = 285;
constexpr int browseHeight = 285;

} // namespace

void Form1::connectConnectionFields()
{
    BrowseLocation = new QPushButton(QStringLiteral("\u2026"), Frame1);
    BrowseLocation->setObjectName(QStringLiteral("BrowseLocation"));
    BrowseLocation->setToolTip(QStringLiteral("Browse for the database file"));
    ui::place(BrowseLocation, browseLeft, browseTop, browseWidth, browseHeight);
    connect(Combo1, &QComboBox::currentTextChanged, this, &Form1::Combo1_Change);
    connect(BrowseLocation, &QPushButton::clicked, this, &Form1::BrowseLocation_Click);
    Combo1_Change();
}

void Form1::Combo1_Change()
{
    const query::ConnectionHints hints = query::connectionHints(Combo1->currentText());
    Text8->setPlaceholderText(hints.location);
    Text4->setPlaceholderText(hints.user);
    Text9->setPlaceholderText(hints.databaseName);
    BrowseLocation->setVisible(!hints.fileFilter.isEmpty());
}

void Form1::BrowseLocation_Click()
{
    const query::ConnectionHints hints = query::connectionHints(Combo1->currentText());
    if (hints.fileFilter.isEmpty())
        return;
    const QFileInfo current(Text8->text());
    QFileDialog chooser(this, QStringLiteral("Location"), current.absolutePath(), hints.fileFilter);
    chooser.setObjectName(QStringLiteral("LocationChooser"));
    chooser.setOption(QFileDialog::DontUseNativeDialog);
    chooser.setFileMode(QFileDialog::ExistingFile);
    if (!Text8->text().isEmpty())
        chooser.selectFile(current.fileName());
    ui::dialogs().showModal(&chooser);
    if (chooser.result() == QDialog::Accepted && !chooser.selectedFiles().isEmpty())
        Text8->setText(QDir::toNativeSeparators(chooser.selectedFiles().constFirst()));
}
