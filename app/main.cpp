#include "app/Form1.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));

    Form1 form;
    form.Form_Load();
    form.show();
    return QApplication::exec();
}
