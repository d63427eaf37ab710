#include "mail/Form12.h"

#include "settings/SettingsStore.h"
#include "ui/Clock.h"
#include "ui/Controls.h"
#include "ui/Dialogs.h"
#include "ui/Failure.h"
#include "ui/Twips.h"

#include <QFont>
#include <QHostInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTcpSocket>

namespace mail {
namespace {

// The window's surface in twips; the hidden subject and message boxes lie below it.
constexpr int surfaceWidth = 4695;
constexpr int surfaceHeight = 2535;

// A box below its label, both 4455 twips wide.
template <typename Box>
Box* labelledBox(QLabel*& label, Box* box, const char* labelName, const QString& caption, int top)
{
    label = ui::label(box->parentWidget(), labelName, caption, box);
    ui::place(label, 120, top, 4455, 255);
    ui::place(box, 120, top + 240, 4455, 315);
    return box;
}

QPointer<Form12>& form12Storage()
{
    static QPointer<Form12> form;
    return form;
}

int milliseconds(std::chrono::milliseconds span)
{
    return static_cast<int>(span.count());
}

} // namespace

Form12::Form12(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("Form12"));
    setWindowTitle(QStringLiteral("Mail Setup"));
    setFont(ui::designedFont(ui::controlFontSize));
    createControls();

    connect(Command1, &QPushButton::clicked, this, &Form12::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form12::Command2_Click);
    connect(Winsock1, &QTcpSocket::connected, this, &Form12::Winsock1_Connect);
    connect(Winsock1, &QTcpSocket::readyRead, this, &Form12::Winsock1_DataArrival);
    connect(Winsock1, &QTcpSocket::errorOccurred, this, &Form12::Winsock1_Error);
    connect(Winsock1, &QTcpSocket::disconnected, this, &Form12::Winsock1_Close);
    connect(waitLimit_, &ui::Timer::timeout, this, &Form12::WaitLimit_Timer);
}

Form12::~Form12()
{
    // A dialogue under way ends here: the socket's last signals must not reach a window that
    // is half gone.
    Winsock1->disconnect(this);
    Winsock1->abort();
}

void Form12::createControls()
{
    setFixedSize(ui::pixels(surfaceWidth), ui::pixels(surfaceHeight));
    Text1 =
        labelledBox(Label1, ui::textBox(this, "Text1"), "Label1", QStringLiteral("Email SMTP Server"), 120);
    Text2 = labelledBox(Label2, ui::textBox(this, "Text2"), "Label2", QStringLiteral("Email From:"), 720);
    Text5 = labelledBox(Label5, ui::textBox(this, "Text5"), "Label5", QStringLiteral("Email To:"), 1320);
    Text3 = labelledBox(Label3, ui::textBox(this, "Text3"), "Label3", QStringLiteral("Email Subject"), 2640);
    Text4 = labelledBox(Label4, ui::named(new QPlainTextEdit(this), "Text4"), "Label4",
                        QStringLiteral("Email Message"), 3240);
    for (QWidget* hidden : {static_cast<QWidget*>(Label3), static_cast<QWidget*>(Text3),
                            static_cast<QWidget*>(Label4), static_cast<QWidget*>(Text4)})
        hidden->hide();

    Command1 = ui::button(this, "Command1", QStringLiteral("OK"));
    ui::place(Command1, 2280, 2040, 1095, 375);
    Command1->setDefault(true);
    Command2 = ui::button(this, "Command2", QStringLiteral("Cancel"));
    ui::place(Command2, 3480, 2040, 1095, 375);

    Winsock1 = ui::named(new QTcpSocket(this), "Winsock1");
    waitLimit_ = ui::named(new ui::Timer(this), "WaitLimit");
}

void Form12::Form_Load()
{
    Command2_Click();
}

void Form12::Command1_Click()
{
    ui::guarded<settings::StoreError>([&] {
        settings::SettingsStore& store = settings::store();
        store.save(settings::MailServerName, Text1->text());
        store.save(settings::MailUserName, Text2->text());
        store.save(settings::MailSubject, Text3->text());
        store.save(settings::MailBody, Text4->toPlainText());
        store.save(settings::MailTo, Text5->text());
        hide();
    });
}

void Form12::Command2_Click()
{
    ui::guarded<settings::StoreError>([&] {
        const settings::SettingsStore& store = settings::store();
        Text1->setText(store.get(settings::MailServerName));
        Text2->setText(store.get(settings::MailUserName));
        Text3->setText(store.get(settings::MailSubject));
        Text4->setPlainText(store.get(settings::MailBody));
        Text5->setText(store.get(settings::MailToRead));
    });
}

void Form12::Send()
{
    MailMessage message{Text1->text(), Text2->text(), Text5->text(), Text3->text(), Text4->toPlainText()};
    const QString why = refusal(message);
    if (!why.isEmpty()) {
        ui::msgBox(why);
        return;
    }
    waiting_.push_back(std::move(message));
    startNext();
}

void Form12::startNext()
{
    if (dialogue_ || waiting_.empty() || Winsock1->state() != QAbstractSocket::UnconnectedState)
        return;
    MailMessage message = std::move(waiting_.front());
    waiting_.pop_front();
    const MailServer server = mailServer(message.server).value_or(MailServer{});
    QString localHost = QHostInfo::localHostName();
    if (localHost.isEmpty())
        localHost = QStringLiteral("localhost");
    dialogue_.emplace(std::move(message), localHost);
    waitLimit_->setInterval(milliseconds(connectLimit));
    waitLimit_->setEnabled(true);
    Winsock1->connectToHost(server.host, server.port);
}

void Form12::apply(const SmtpStep& step)
{
    for (const QByteArray& piece : step.send)
        Winsock1->write(piece);
    if (step.close) {
        finish(step.message);
        return;
    }
    if (step.limit.count() > 0) {
        waitLimit_->setEnabled(false);
        waitLimit_->setInterval(milliseconds(step.limit));
        waitLimit_->setEnabled(true);
    }
}

void Form12::finish(const QString& message)
{
    const bool delivered = dialogue_ && dialogue_->stage() == SmtpDialogue::Stage::Done && message.isEmpty();
    dialogue_.reset();
    waitLimit_->setEnabled(false);
    // After QUIT what was written still goes out; every other ending drops the connection.
    if (delivered)
        Winsock1->disconnectFromHost();
    else
        Winsock1->abort();
    if (!message.isEmpty()) {
        // The program may close while the message is up.
        const QPointer<Form12> self(this);
        ui::msgBox(message);
        if (!self)
            return;
    }
    // The next notice starts from the event loop, never inside the handler that ended this one.
    QMetaObject::invokeMethod(this, &Form12::startNext, Qt::QueuedConnection);
}

void Form12::Winsock1_Connect()
{
    if (dialogue_)
        apply(dialogue_->connected());
}

void Form12::Winsock1_DataArrival()
{
    const QByteArray data = Winsock1->readAll();
    if (dialogue_)
        apply(dialogue_->received(data));
}

void Form12::Winsock1_Error(QAbstractSocket::SocketError error)
{
    if (!dialogue_)
        return;
    if (error == QAbstractSocket::RemoteHostClosedError) {
        Winsock1_Close();
        return;
    }
    finish(Winsock1->errorString());
}

void Form12::Winsock1_Close()
{
    // What the server sent before it closed is read first: it may be the reply that ends
    // the dialogue.
    if (dialogue_ && Winsock1->bytesAvailable() > 0)
        Winsock1_DataArrival();
    if (dialogue_)
        finish({});
    else
        QMetaObject::invokeMethod(this, &Form12::startNext, Qt::QueuedConnection);
}

void Form12::WaitLimit_Timer()
{
    if (dialogue_)
        apply(dialogue_->timedOut());
    else
        waitLimit_->setEnabled(false);
}

Form12& form12()
{
    QPointer<Form12>& form = form12Storage();
    if (!form) {
        form = new Form12();
        form->Form_Load();
    }
    return *form;
}

Form12* loadedForm12()
{
    return form12Storage().data();
}

void sendNotice(const QString& subject, const QString& body)
{
    Form12& form = form12();
    form.Text3->setText(subject);
    form.Text4->setPlainText(body);
    form.Send();
}

} // namespace mail
