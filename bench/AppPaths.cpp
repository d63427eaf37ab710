#include "bench/AppPaths.h"

#include "app/Form1.h"
#include "app/StatusBar.h"
#include "bench/QuorvanePaths.h"
#include "bench/Sinks.h"
#include "query/QueryRunner.h"
#include "query/ResultPresentation.h"
#include "query/db/Connection.h"
#include "results/Clipboard.h"
#include "results/Export.h"
#include "results/FormFile.h"
#include "results/GridText.h"
#include "settings/SettingsStore.h"
#include "ui/Clock.h"
#include "ui/Dialogs.h"
#include "ui/MSFlexGrid.h"
#include "ui/PlainTextView.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <malloc.h>
#include <memory>
#include <stdexcept>
#include <thread>

namespace bench {
namespace {

// Dialogs that keep their messages instead of showing them.
class QuietDialogs final : public ui::Dialogs
{
public:
    void message(const QString& text, const QString&, ui::Icon) override { messages_ << text; }
    ui::Answer question(const QString& text, const QString&) override
    {
        messages_ << text;
        return ui::Answer::No;
    }
    void showModal(QWidget*) override {}
    QString take()
    {
        const QString all = messages_.join(QLatin1Char('\n'));
        messages_.clear();
        return all;
    }

private:
    QStringList messages_;
};

QuietDialogs& quietDialogs()
{
    static QuietDialogs dialogs;
    return dialogs;
}

// Throws when a path showed anything but the messages it is expected to show.
void expectMessages(const QString& expected = {})
{
    const QString shown = takeMessages();
    if (shown != expected)
        throw std::runtime_error("unexpected message: " + shown.toStdString());
}

std::int64_t monotonicNanoseconds()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return std::int64_t(t.tv_sec) * 1000000000 + t.tv_nsec;
}

// The records of the last run, from the status bar's "Rows: n".
std::int64_t rowsShown(const Form1& form)
{
    return form.StatusBar1->panelText(1).section(QLatin1Char(' '), 1).toLongLong();
}

std::unique_ptr<Form1> openWindow(const Target& target, const std::string& sql, bool plainText)
{
    auto form = std::make_unique<Form1>();
    form->Form_Load();
    form->show();
    QApplication::processEvents();
    const query::ConnectionFields& f = target;
    form->Combo1->setEditText(f.type);
    form->Text4->setText(f.user);
    form->Text5->setText(f.password);
    form->Text8->setText(f.location);
    form->Text9->setText(f.databaseName);
    form->Text1->setPlainText(QString::fromStdString(sql));
    if (plainText)
        form->PlainText_Click();
    else
        form->DataGrid_Click();
    QApplication::processEvents();
    takeMessages();
    return form;
}

std::unique_ptr<db::Connection> openLayer(const Target& target)
{
    auto connection = std::make_unique<db::Connection>();
    query::connectionSettings(target).applyTo(*connection);
    connection->Open();
    return connection;
}

// A grid filled from the layer, for the tools that start from one.
std::unique_ptr<ui::MSFlexGrid> filledGrid(const Target& target, const std::string& sql)
{
    auto grid = std::make_unique<ui::MSFlexGrid>();
    auto connection = openLayer(target);
    db::Recordset result = connection->Execute(QString::fromStdString(sql));
    gridFill(result, *grid);
    return grid;
}

QByteArray fileBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot read " + path);
    return file.readAll();
}

void digestText(Outcome& out, const QByteArray& text, int skipLines, int skipFields)
{
    const QByteArray delimiter = results::exportDelimiter().toUtf8();
    const DelimitedDigest d = delimitedDigest(
        std::string_view(text.constData(), std::size_t(text.size())),
        std::string_view(delimiter.constData(), std::size_t(delimiter.size())), skipLines, skipFields);
    out.digest = d.digest;
    if (d.records != out.count)
        throw std::runtime_error("the output holds " + std::to_string(d.records) +
                                 " records, the path read " + std::to_string(out.count));
}

} // namespace

void prepareWindows(const std::string& folder)
{
    std::filesystem::create_directories(folder);
    const std::string store = folder + "/settings.sqlite";
    std::filesystem::remove(store);
    setenv("QUORVANE_SETTINGS", store.c_str(), 1);
    settings::reopenStore();
    ui::setDialogs(&quietDialogs());
}

QString takeMessages()
{
    return quietDialogs().take();
}

Outcome typeIntoQueryBox(bool kept, int keys, int boxBytes)
{
    Form1 form;
    form.Form_Load();
    form.show();
    form.Combo2->setEditText(QStringLiteral("typing"));
    form.Check1->setChecked(kept);
    QString text;
    text.reserve(boxBytes + 100);
    for (int line = 0; text.size() < boxBytes; ++line)
        text += QStringLiteral("select id, name, amount from orders where id = %1 -- line %1\n").arg(line);
    form.Text1->setPlainText(text);
    form.Text1->moveCursor(QTextCursor::End);
    form.Text1->setFocus();
    form.flushQueryTextKeep();
    QApplication::processEvents();
    expectMessages();

    auto press = [&](int i) {
        const QChar c = QLatin1Char(char('a' + i % 26));
        const int key = Qt::Key_A + i % 26;
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, QString(c));
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, QString(c));
        QApplication::sendEvent(form.Text1, &down);
        QApplication::sendEvent(form.Text1, &up);
        QApplication::processEvents();
    };
    press(0); // warm-up: the first key lays the last block out
    form.flushQueryTextKeep();

    Outcome out;
    const qsizetype before = form.Text1->document()->characterCount();
    const Stopwatch watch;
    for (int i = 0; i < keys; ++i)
        press(i);
    // The text handed over to the keeper's thread, as the timer hands it over.
    if (form.Text1KeepTimer->isEnabled())
        form.Text1KeepTimer->fire();
    watch.stop(out.value, out.cpu);
    form.flushQueryTextKeep();
    out.count = form.Text1->document()->characterCount() - before;
    expectMessages();
    if (kept && settings::store().get(QStringLiteral("typing"), QStringLiteral("Text1"), QString()).size() !=
                    form.Text1->toPlainText().size())
        throw std::runtime_error("the typed text was not kept");
    return out;
}

Outcome runIntoGrid(const Target& target, const std::string& sql, bool check)
{
    auto form = openWindow(target, sql, false);
    Outcome out;
    const Stopwatch watch;
    form->Command1_Click();
    watch.stop(out.value, out.cpu);
    expectMessages();
    out.count = rowsShown(*form);
    if (check) {
        LineDigest digest;
        digestGrid(*form->MSFlexGrid1, digest);
        out.digest = digest.value();
    }
    return out;
}

Outcome runIntoText(const Target& target, const std::string& sql, bool check)
{
    auto form = openWindow(target, sql, true);
    Outcome out;
    const Stopwatch watch;
    form->Command1_Click();
    watch.stop(out.value, out.cpu);
    expectMessages();
    out.count = rowsShown(*form);
    if (check) {
        const QByteArray text = form->Text2->toPlainText().toUtf8();
        const DelimitedDigest d =
            delimitedDigest(std::string_view(text.constData(), std::size_t(text.size())), "\t", 1, 0);
        out.digest = d.digest;
    }
    return out;
}

Outcome cancelDuringRun(const Target& target, const std::string& sql, int afterMs, CancelPoint point,
                        const std::string& file)
{
    auto form = openWindow(target, sql, point == CancelPoint::TextLines);
    if (point == CancelPoint::FileBytes) {
        std::filesystem::remove(file);
        results::setExportTarget(QString::fromStdString(file));
        form->DataOutputtoFile->setChecked(true);
    }
    const auto reached = [&] {
        std::error_code error;
        switch (point) {
        case CancelPoint::GridRows:
            return form->MSFlexGrid1->Rows() >= 2;
        case CancelPoint::TextLines:
            return form->Text2->lineCount() >= 2;
        case CancelPoint::FileBytes:
            return std::filesystem::file_size(file, error) > 0 && !error;
        case CancelPoint::Execute:
            return form->Command9->isEnabled();
        }
        return false;
    };
    std::atomic<std::int64_t> clickedAt{0};
    std::thread clicker;
    QTimer watch;
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, form.get(), [&] {
        if (!reached())
            return;
        watch.stop();
        const std::int64_t due = monotonicNanoseconds() + std::int64_t(afterMs) * 1000000;
        QPushButton* cancel = form->Command9;
        clicker = std::thread([due, cancel, &clickedAt] {
            while (monotonicNanoseconds() < due)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            clickedAt = monotonicNanoseconds();
            QMetaObject::invokeMethod(
                cancel, [cancel] { cancel->click(); }, Qt::QueuedConnection);
        });
    });
    watch.start();
    form->Command1_Click();
    const std::int64_t ended = monotonicNanoseconds();
    watch.stop();
    if (clicker.joinable())
        clicker.join();
    QApplication::processEvents(); // a click that came after the run does nothing
    // A click that reached a run about to end on its own times nothing.
    const bool cancelled = clickedAt && form->StatusBar1->note().startsWith(QLatin1String("Cancelled"));
    expectMessages(point == CancelPoint::FileBytes && !cancelled ? QStringLiteral("Export Complete")
                                                                 : QString());
    Outcome out;
    out.count = rowsShown(*form);
    out.value = cancelled ? double(ended - clickedAt) / 1e6 : std::nan("");
    return out;
}

void textMemoryProbe(const Target& target, const std::string& sql)
{
    auto form = openWindow(target, sql, true);
    malloc_trim(0);
    const std::size_t before = residentBytes();
    clearPeakResident();
    form->Command1_Click();
    const std::size_t peak = peakResidentBytes();
    std::printf("peak %zu text %lld\n", peak - before, static_cast<long long>(form->Text2->lines().bytes()));
}

Outcome buildPlainText(const Target& target, const std::string& sql, bool check)
{
    auto connection = openLayer(target);
    Outcome out;
    const Stopwatch watch;
    db::Recordset result = connection->Execute(QString::fromStdString(sql));
    ui::PlainTextView view;
    out.count = query::fillPlainText(result, view, [] { return true; });
    watch.stop(out.value, out.cpu);
    if (check) {
        const QByteArray bytes = view.toPlainText().toUtf8();
        const DelimitedDigest d =
            delimitedDigest(std::string_view(bytes.constData(), std::size_t(bytes.size())), "\t", 1, 0);
        out.digest = d.digest;
    }
    return out;
}

Outcome runIntoFile(const Target& target, const std::string& sql, const std::string& file, bool check)
{
    std::filesystem::remove(file); // the run appends
    auto form = openWindow(target, sql, false);
    // As after Data Output to File's chooser named the file.
    results::setExportTarget(QString::fromStdString(file));
    form->DataOutputtoFile->setChecked(true);
    Outcome out;
    const Stopwatch watch;
    form->Command1_Click();
    watch.stop(out.value, out.cpu);
    expectMessages(QStringLiteral("Export Complete"));
    out.count = rowsShown(*form);
    if (check)
        digestText(out, fileBytes(file), results::exportColumnHeaders() ? 1 : 0, 0);
    return out;
}

Outcome exportData(const Target& target, const std::string& sql, const std::string& file, bool check)
{
    std::filesystem::remove(file); // the tool appends
    auto grid = filledGrid(target, sql);
    Outcome out;
    const Stopwatch watch;
    // What ExportData does once the chooser has named the file.
    results::appendUtf8ToFile(
        QString::fromStdString(file),
        results::exportFileUtf8(*grid, results::exportDelimiter(), results::exportColumnHeaders()));
    watch.stop(out.value, out.cpu);
    out.count = grid->Rows() - 1;
    if (check)
        digestText(out, fileBytes(file), results::exportColumnHeaders() ? 1 : 0,
                   ui::MSFlexGrid::firstFieldCol);
    return out;
}

Outcome clipboardText(const Target& target, const std::string& sql, bool check)
{
    auto grid = filledGrid(target, sql);
    Outcome out;
    const Stopwatch watch;
    results::exportClipboard(*grid);
    watch.stop(out.value, out.cpu);
    expectMessages(QStringLiteral("Complete"));
    out.count = grid->Rows() - 1;
    if (check)
        digestText(out, QGuiApplication::clipboard()->text().toUtf8(), 1, 0);
    QGuiApplication::clipboard()->clear();
    return out;
}

Outcome startup(const QString& program, const std::string& folder)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUORVANE_SETTINGS"),
               QString::fromStdString(folder + "/startup-settings.sqlite"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    const std::int64_t started = monotonicNanoseconds();
    child.start(program, {QStringLiteral("--startup-probe")});
    if (!child.waitForFinished(60000) || child.exitCode() != 0)
        throw std::runtime_error("the start-up probe failed");
    const std::int64_t shown = child.readAllStandardOutput().trimmed().toLongLong();
    Outcome out;
    out.value = double(shown - started) / 1e6;
    out.count = 1;
    return out;
}

int startupProbe()
{
    // As app/main.cpp starts the program, up to the window being shown.
    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    Form1 form;
    form.Form_Load();
    form.show();
    while (!form.windowHandle() || !form.windowHandle()->isExposed())
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    QApplication::processEvents(); // the first paint
    std::printf("%lld\n", static_cast<long long>(monotonicNanoseconds()));
    return 0;
}

} // namespace bench
