// The lock watch against a private SQL Server test server through the real FreeTDS driver; the
// notices go to the test command's SMTP server. A manual clock moves the minute between checks.
#include "app/Form1.h"
#include "mail/Form12.h"
#include "tests/support/ManualClock.h"
#include "tests/support/SecretScan.h"
#include "tests/support/SmtpPeer.h"
#include "tests/support/ToolsFixture.h"
#include "tools/Form10.h"
#include "ui/Clock.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

using namespace std::chrono_literals;

namespace {

class LockWatch : public ToolsFixture
{
protected:
    void SetUp() override
    {
        ToolsFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        QV_REQUIRE_SMTP_SERVER();
        settings::store().save(settings::MailServerName, *qvtest::sharedSmtpServer());
        settings::store().save(settings::MailUserName, QStringLiteral("watch@quorvane.test"));
        fill(*form);
        static int n = 0; // each test's notices go to an address of its own
        recipient =
            QStringLiteral("dba-%1-%2@quorvane.test").arg(QCoreApplication::applicationPid()).arg(++n);
        settings::store().save(settings::MailTo, recipient);
    }

    void TearDown() override
    {
        delete mail::loadedForm12();
        ToolsFixture::TearDown();
    }

    static void fill(Form2& f)
    {
        f.Text8->setText(" " + server(one) + " ");
        f.Text9->setText("quorvane");
        f.Text31->setText("tester");
        f.Text32->setText("s3cret!");
    }

    // sp_lock rows from spid 52 on, one per status (unless `more` has rows of its own), and `more`
    // of the server's configuration.
    static void locks(const QStringList& statuses, const char* more = "{}")
    {
        one.more = QJsonDocument::fromJson(more).object();
        QJsonArray rows;
        for (const QString& status : statuses)
            rows.append(QJsonObject{{"spid", 52 + rows.size() % 1000},
                                    {"dbid", 5},
                                    {"ObjId", 1977058079},
                                    {"Mode", "X"},
                                    {"Status", status}});
        if (!one.more.contains(QStringLiteral("locks")))
            one.more[QStringLiteral("locks")] = rows;
        one.configure();
    }

    // What reached the SMTP server for the current recipient, once the mail window is done.
    QList<qvtest::SpooledMessage> notices() const
    {
        mail::Form12* mailWindow = mail::loadedForm12();
        EXPECT_TRUE(!mailWindow || qvtest::waitUntil([&] { return !mailWindow->busy(); }));
        return mailWindow ? qvtest::spooledMessages(recipient) : QList<qvtest::SpooledMessage>();
    }

    void expectState(const QString& caption, bool polling, Form2* watch = nullptr) const
    {
        EXPECT_EQ((watch ? watch : form.get())->Command8->text(), caption);
        EXPECT_EQ((watch ? watch : form.get())->Timer2->isEnabled(), polling);
    }

    qvtest::ManualClock clock;
    QString recipient;
};

TEST_F(LockWatch, DecidesByTheLocksAndTheOptionAndAnswersFailures)
{
    // Email Setup: the mail window, non-modal and without an owner, shows the saved values.
    form->Command21_Click();
    mail::Form12* mailWindow = mail::loadedForm12();
    ASSERT_NE(mailWindow, nullptr);
    EXPECT_TRUE(mailWindow->isVisible() && !mailWindow->isModal() && !mailWindow->parentWidget());
    EXPECT_EQ(mailWindow->Text1->text(), *qvtest::sharedSmtpServer());

    struct Case
    {
        QStringList locks;
        bool checkForLocks = true;
        QString status = "before"; // Label6's start; "before" when it keeps its text
        QString notice = {};       // the subject sent, "" for none
        QString message = {};      // the message box, "" for none
        const char* config = "{}";
        QString server = {}, database = "quorvane", password = "s3cret!"; // null: the test server
    } cases[] = {
        // clang-format off
        {{"GRANT", "GRANT"}, true, "0 Locks at "},
        {{}},
        {{"GRANT", "WAIT", "CNVT", "WAIT"}, true, "2 Locks at ", "Sql Locks"},
        {QStringList(32770, "WAIT"), true, "32770 Locks at ", "Sql Locks"}, // past a 16-bit count
        {{"GRANT"}, false, "0 Locks at ", "Sql No Locks"},
        {{"WAIT"}, false, "1 Locks at "},
        {{"wait"}, false, "0 Locks at ", "Sql No Locks"}, // the test is case-sensitive
        {{"WAIT"}, true, "before", "", "Please Enter a Server Name.", "{}", "  "},
        {{"WAIT"}, true, "before", "", "Please Enter a DB Name.", "{}", {}, " "},
        {{"WAIT"}, true, "before", "", "Could not find Database: Check database and server names.", "{}", "127.0.0.1,1"},
        {{"WAIT"}, true, "before", "", "Problem with Login: Check username and password.", "{}", {}, "quorvane", "x"},
        // A result the server breaks off (a spid it cannot send) is no all-clear.
        {{}, false, " Timmed Out at ", "", "", R"({"locks": [{"Status": "GRANT"}, {"spid": 70000, "Status": "WAIT"}]})"},
        {{"WAIT"}, true, " Timmed Out at ", "", "", R"({"lock_error": "Lock request time out period exceeded."})"},
        // clang-format on
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.status.toStdString() + c.notice.toStdString() + c.message.toStdString());
        const qsizetype before = notices().size();
        locks(c.locks, c.config);
        form->Text8->setText(c.server.isNull() ? " " + server(one) + " " : c.server);
        form->Text9->setText(c.database);
        form->Text32->setText(c.password);
        (c.checkForLocks ? form->Option3 : form->Option4)->setChecked(true);
        form->Label6->setText("before");
        form->Command8_Click();
        EXPECT_EQ(dialogs.takeMessages(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        EXPECT_EQ(form->Label6->text().left(c.status.size()), c.status);
        const bool waiting = c.notice.isEmpty() && c.message.isEmpty();
        expectState(waiting ? "&Stop" : "&Run", waiting);
        const QList<qvtest::SpooledMessage> sent = notices().mid(before);
        ASSERT_EQ(sent.size(), c.notice.isEmpty() ? 0 : 1);
        for (const qvtest::SpooledMessage& notice : sent)
            EXPECT_TRUE(notice.data.contains("\r\nSubject: " + c.notice.toUtf8() + "\r\n"));
        if (waiting)
            form->Command8_Click(); // a click while waiting stops the watch
        expectState("&Run", false);
    }
    // Each check stores the boxes as typed.
    EXPECT_EQ((QStringList{settings::store().get("SqlWatch", "ServerName", ""),
                           settings::store().get("SqlWatch", "DataBase", ""),
                           settings::store().get("SqlWatch", "UserName", "")}),
              (QStringList{form->Text8->text(), "quorvane", "tester"}));

    // A click with an empty box leaves a waiting watch waiting; a tick that meets it ends polling.
    locks({"GRANT"});
    form->Command8_Click();
    form->Text8->clear();
    form->Command8_Click();
    expectState("&Stop", true);
    clock.advance(60s);
    EXPECT_EQ(dialogs.takeMessages(), QStringList(2, "Please Enter a Server Name."));
    expectState("&Run", false);
}

TEST_F(LockWatch, ChecksEachMinuteMailsWhatItSawAndStops)
{
    locks({"GRANT"});
    form->Command8_Click();
    const QString first = form->Label6->text();
    clock.advance(60s);
    expectState("&Stop", true);
    EXPECT_TRUE(form->Label6->text().startsWith("0 Locks at ") && form->Label6->text() != first);

    locks({"GRANT", "WAIT", "WAIT"}, R"({"names": {"databases": {"5": "shop"}},
        "requests": [{"session_id": 53, "blocking_session_id": 52, "wait_type": "LCK_M_X", "wait_time": 1200},
                     {"session_id": 54, "blocking_session_id": 53, "wait_type": "LCK_M_U", "wait_time": 800}],
        "sessions": [{"session_id": 52, "login_name": "app", "host_name": "APP01"}]})");
    clock.advance(60s);
    expectState("&Run", false);
    clock.advance(120s); // the watch has stopped: no further check
    const QList<qvtest::SpooledMessage> sent = notices();
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent[0].data, "From: <watch@quorvane.test>\r\nTo: " + recipient.toUtf8() +
                                "\r\nSubject: Sql Locks\r\nX-Mailer: Mailwren v1.1\r\nMime-Version: 1.0\r\n"
                                "Content-Type: text/plain;\tcharset=us-ascii\r\n\r\n"
                                "Sql Locks\r\n\r\n"
                                "Waiting locks (spid, database, object, mode, status):\r\n"
                                "53, shop, 1977058079, X, WAIT\r\n"
                                "54, shop, 1977058079, X, WAIT\r\n"
                                "Head of the blocking chain: session 52, login app, host APP01\r\n"
                                "Session 53 waits for session 52: LCK_M_X, 1200 ms\r\n"
                                "Session 54 waits for session 53: LCK_M_U, 800 ms\r\n");

    locks({"WAIT", "WAIT"});
    // While the check reads its first row: Stop, then Run, which waits for the check's end.
    QTimer::singleShot(0, [&] {
        form->Command8_Click();
        form->Command8_Click();
    });
    form->Command8_Click();
    EXPECT_TRUE(form->Label6->text().startsWith("2 Locks at "));
    expectState("&Run", false);

    Form1 main;
    main.Command2_Click();
    fill(*main.toolsWindow);
    QTimer::singleShot(0, [&] { main.close(); });
    main.toolsWindow->Command8_Click();
    EXPECT_EQ(programEnds, 1);
    expectState("&Run", false, main.toolsWindow);

    // The window destroyed in the middle of a check: the check ends without touching it.
    QTimer::singleShot(0, [&] { form.reset(); });
    Form2* watching = form.get();
    watching->Command8_Click();
    EXPECT_EQ(form, nullptr);
    clock.advance(60s);
    EXPECT_EQ(notices().size(), 1) << "no notice after the first";
}

// No password typed into the tools window (right or refused) reaches a file, a message, the
// compare log, the finder's results, the watch's label or a notice.
TEST_F(LockWatch, NoPasswordOfTheToolsReachesAFileAMessageOrANotice)
{
    const QString right = QStringLiteral("s3cret!"), wrong = QStringLiteral("Pw-Wrong-7731");
    const char* table = "CREATE TABLE t (v TEXT); INSERT INTO t VALUES ('needle');";
    compareSides(database(one, QStringLiteral("scan1"), table),
                 database(two, QStringLiteral("scan2"), table));
    form->Option1->setChecked(true);
    form->Command11_Click();
    form->Combo1->setCurrentIndex(form->Combo1->findText(QStringLiteral("All")));
    form->Combo2->setCurrentIndex(form->Combo2->findText(QStringLiteral("All")));
    form->Command9_Click();
    finderOn(QStringLiteral("scan1"), QStringLiteral("needle"));
    form->Command10_Click();
    ASSERT_TRUE(form->Text29->toPlainText().contains(QLatin1String("Found Data")));
    locks({"WAIT"});
    form->Command8_Click();
    ASSERT_EQ(notices().size(), 1);

    for (QLineEdit* box : {form->Text14, form->Text30, form->Text32})
        box->setText(wrong);
    form->Command11_Click();
    form->Command10_Click();
    form->Command8_Click();

    QStringList texts = qvtest::dialogTexts(dialogs.take());
    EXPECT_EQ(texts.size(), 4) << texts.join(u'\n').toStdString();
    EXPECT_EQ(texts.filter(QStringLiteral("Problem with Login")).size(), 3)
        << "each tool refused the wrong one";
    texts << tools::form10(form.get()).Text1->toPlainText() << form->Text29->toPlainText()
          << form->Label6->text();
    for (const qvtest::SpooledMessage& notice : notices())
        texts << QString::fromUtf8(notice.data);
    form.reset();
    settings::reopenStore();
    for (const QString& password : {right, wrong})
        EXPECT_EQ(qvtest::placesHolding(password, {dir.path(), qEnvironmentVariable("HOME")}, texts),
                  QStringList())
            << password.toStdString();
}

} // namespace
