// The Tools button: the SQL Server tools window, modeless, created on the first click and
// reused. A MySql run disables the button (Form1Run.cpp).
#include "app/Form1.h"
#include "tools/Form2.h"

#include <QPushButton>

void Form1::connectTools()
{
    connect(Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
}

void Form1::Command2_Click()
{
    if (!toolsWindow)
        toolsWindow = new Form2(this);
    toolsWindow->show();
    toolsWindow->raise();
    toolsWindow->activateWindow();
}

// The program is ending: a compare or a search still running stops at its next step.
void Form1::stopTools()
{
    if (toolsWindow)
        toolsWindow->stopRunning();
}
