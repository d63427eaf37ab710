#pragma once

#include <QMainWindow>

// The main window. Its controls and menus arrive with the window's own work.
class Form1 : public QMainWindow
{
    Q_OBJECT
public:
    explicit Form1(QWidget* parent = nullptr);

    void Form_Load();
};
