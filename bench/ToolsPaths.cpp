#include "bench/ToolsPaths.h"

#include "bench/AppPaths.h"
#include "tools/Form2.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <memory>
#include <stdexcept>

namespace bench {
namespace {

std::unique_ptr<Form2> toolsWindow()
{
    auto form = std::make_unique<Form2>();
    form->show();
    QApplication::processEvents();
    return form;
}

void expectShown(const QString& expected)
{
    const QString shown = takeMessages();
    if (shown != expected)
        throw std::runtime_error("the tools showed \"" + shown.toStdString() + "\", expected \"" +
                                 expected.toStdString() + "\"");
}

void pick(QComboBox* combo)
{
    const int i = combo->findText(QLatin1String(toolsTable));
    if (i < 0)
        throw std::runtime_error(std::string("Connect did not list ") + toolsTable);
    combo->setCurrentIndex(i);
}

} // namespace

Outcome compareTables(const ToolsSides& sides)
{
    auto form = toolsWindow();
    form->Text12->setText(sides.server);
    form->Text13->setText(sides.user);
    form->Text14->setText(sides.password);
    form->Text22->setText(sides.database1);
    form->Text18->setText(sides.server);
    form->Text19->setText(sides.user);
    form->Text20->setText(sides.password);
    form->Text23->setText(sides.database2);
    form->Option1->setChecked(true);
    form->Command11_Click();
    expectShown({});
    pick(form->Combo1);
    pick(form->Combo2);

    Outcome out;
    const Stopwatch watch;
    form->Command9_Click();
    watch.stop(out.value, out.cpu);
    const QString table = QLatin1String(toolsTable);
    expectShown(QStringLiteral("Tables ") + table + QStringLiteral(" and ") + table +
                QStringLiteral(" are identicle."));
    return out;
}

Outcome findNothing(const ToolsSides& sides)
{
    auto form = toolsWindow();
    form->Text24->setText(sides.server);
    form->Text25->setText(sides.database1);
    form->Text27->setText(sides.user);
    form->Text30->setText(sides.password);
    form->Text28->setText(QStringLiteral("no row holds this"));
    form->Check3->setChecked(true);

    Outcome out;
    const Stopwatch watch;
    form->Command10_Click();
    watch.stop(out.value, out.cpu);
    expectShown({});
    if (form->Label39->text() != QLatin1String("Complete") || !form->Text29->toPlainText().isEmpty())
        throw std::runtime_error("the search did not end with Complete and no hit");
    return out;
}

} // namespace bench
