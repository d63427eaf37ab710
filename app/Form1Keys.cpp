// The keys users of query tools reach for: F5 and Ctrl+Enter run, Esc cancels a run, Ctrl+C
// copies the selected cells of either grid, and the File menu's and Help's usual shortcuts.
#include "app/Form1.h"
#include "results/Csv.h"
#include "ui/MSFlexGrid.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPushButton>

void Form1::connectKeys()
{
    FileOpen->setShortcut(QKeySequence::Open);
    FileSave->setShortcut(QKeySequence::Save);
    FileSaveAsSpecify->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    Exitm->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    Help->setShortcut(QKeySequence(Qt::Key_F1));

    // The window's own keys: actions in no menu.
    RunKey = new QAction(this);
    RunKey->setObjectName(QStringLiteral("RunKey"));
    RunKey->setShortcuts({QKeySequence(Qt::Key_F5), QKeySequence(Qt::CTRL | Qt::Key_Return),
                          QKeySequence(Qt::CTRL | Qt::Key_Enter)});
    CancelKey = new QAction(this);
    CancelKey->setObjectName(QStringLiteral("CancelKey"));
    CancelKey->setShortcut(QKeySequence(Qt::Key_Escape));
    addAction(RunKey);
    addAction(CancelKey);
    connect(RunKey, &QAction::triggered, this, &Form1::RunKey_Click);
    connect(CancelKey, &QAction::triggered, this, &Form1::CancelKey_Click);

    MSFlexGrid1->installEventFilter(this);
}

bool Form1::keyEvent(QObject* watched, QEvent* event)
{
    if (watched != MSFlexGrid1 || event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    return MSFlexGrid1_KeyDown(key->key(), key->modifiers());
}

void Form1::RunKey_Click()
{
    // Only what the Run button would do: nothing while a run is under way.
    if (Command1->isEnabled())
        Command1_Click();
}

void Form1::CancelKey_Click()
{
    if (Command9->isEnabled())
        Command9_Click();
}

bool Form1::MSFlexGrid1_KeyDown(int keyCode, Qt::KeyboardModifiers shift)
{
    if (keyCode != Qt::Key_C || !(shift & Qt::ControlModifier))
        return false;
    results::copyCells(*MSFlexGrid1);
    return true;
}
