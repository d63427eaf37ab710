#include "app/Form1.h"

Form1::Form1(QWidget* parent) : QMainWindow(parent) { setObjectName(QStringLiteral("Form1")); }

void Form1::Form_Load() {}
