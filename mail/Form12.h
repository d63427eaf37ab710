#pragma once

#include "mail/MailMessage.h"
#include "mail/SmtpDialogue.h"

#include <QAbstractSocket>
#include <QWidget>
#include <deque>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTcpSocket;

namespace ui {
class Timer;
}

// The mail setup window, "Mail Setup": the SMTP server and the two addresses through which
// notices go out, kept in the settings store, and the socket Winsock1 on which each notice
// is delivered. One instance for the whole run (form12()), loaded invisibly when a notice is
// sent before the window was ever shown.
namespace mail {

class Form12 : public QWidget
{
    Q_OBJECT
public:
    explicit Form12(QWidget* parent = nullptr);
    ~Form12() override;

    // --- controls, with their designed names ---
    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr; // "Email SMTP Server": host, or host:port
    QLabel* Label2 = nullptr;
    QLineEdit* Text2 = nullptr; // "Email From:"
    QLabel* Label5 = nullptr;
    QLineEdit* Text5 = nullptr; // "Email To:"
    QLabel* Label3 = nullptr;
    QLineEdit* Text3 = nullptr; // "Email Subject" (hidden)
    QLabel* Label4 = nullptr;
    QPlainTextEdit* Text4 = nullptr; // "Email Message" (hidden)
    QPushButton* Command1 = nullptr; // "OK"
    QPushButton* Command2 = nullptr; // "Cancel"
    QTcpSocket* Winsock1 = nullptr;

    // --- handlers ---
    void Form_Load();      // fills the boxes from the settings, as Cancel does
    void Command1_Click(); // OK: stores the five boxes and hides the window
    void Command2_Click(); // Cancel: fills the boxes again from the settings
    void Winsock1_Connect();
    void Winsock1_DataArrival();
    void Winsock1_Error(QAbstractSocket::SocketError error);
    void Winsock1_Close();

    // Sends the boxes' message: at once when the socket is free, else after the notices
    // already waiting. Returns at once; the outcome is shown only where it fails.
    void Send();

    // A dialogue is under way or notices are waiting for the socket.
    bool busy() const { return dialogue_.has_value() || !waiting_.empty(); }

private:
    void createControls();
    void startNext();
    void apply(const SmtpStep& step);
    void finish(const QString& message);
    void WaitLimit_Timer();

    ui::Timer* waitLimit_ = nullptr;
    std::optional<SmtpDialogue> dialogue_;
    std::deque<MailMessage> waiting_;
};

// The program's mail window, loaded (invisibly) on first use.
Form12& form12();
// The mail window when it has been loaded, else nullptr.
Form12* loadedForm12();

// Puts `subject` and `body` into the mail window's subject and message boxes and sends them.
void sendNotice(const QString& subject, const QString& body);

} // namespace mail
