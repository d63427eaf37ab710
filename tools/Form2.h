#pragma once

#include <QWidget>
#include <memory>

class QCheckBox;
class QCloseEvent;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

namespace tools {
class LockWatch;
class WatchFrame;
} // namespace tools
namespace ui {
class Timer;
}

// The tools window "Database Tools": three SQL Server utilities, each in its own frame with
// its own server, user, password and database boxes. Modeless; created on the first click of
// the main window's Tools button and reused.
class Form2 : public QWidget
{
    Q_OBJECT

public:
    explicit Form2(QWidget* parent = nullptr);
    ~Form2() override;

    // --- Frame10 "Find Value in Sql Database" (the value finder) ---
    QGroupBox* Frame10 = nullptr;
    QLabel* Label29 = nullptr;        // "Server"
    QLineEdit* Text24 = nullptr;      // server
    QLabel* Label30 = nullptr;        // "Database"
    QLineEdit* Text25 = nullptr;      // database
    QLabel* Label33 = nullptr;        // "User Name"
    QLineEdit* Text27 = nullptr;      // user
    QLabel* Label34 = nullptr;        // "Password"
    QLineEdit* Text30 = nullptr;      // password
    QLabel* Label31 = nullptr;        // "Search String"
    QLineEdit* Text28 = nullptr;      // the text to look for
    QCheckBox* Check2 = nullptr;      // "Check Systems"
    QCheckBox* Check3 = nullptr;      // "Find All"
    QPushButton* Command10 = nullptr; // "&Find" / "Cancel"
    QLabel* Label39 = nullptr;        // status line
    QPlainTextEdit* Text29 = nullptr; // hits

    // --- Frame9 "Sql Compare" (object lists and compare) ---
    QGroupBox* Frame9 = nullptr;
    QLabel* Label17 = nullptr; // "Sql Server 1"
    QLineEdit* Text12 = nullptr;
    QLabel* Label18 = nullptr; // "User"
    QLineEdit* Text13 = nullptr;
    QLabel* Label19 = nullptr; // "Password"
    QLineEdit* Text14 = nullptr;
    QLabel* Label25 = nullptr; // "Database 1"
    QLineEdit* Text22 = nullptr;
    QLabel* Label20 = nullptr; // "Object 1"
    QComboBox* Combo1 = nullptr;
    QLabel* Label21 = nullptr; // "Sql Server 2"
    QLineEdit* Text18 = nullptr;
    QLabel* Label22 = nullptr; // "User"
    QLineEdit* Text19 = nullptr;
    QLabel* Label23 = nullptr; // "Password"
    QLineEdit* Text20 = nullptr;
    QLabel* Label27 = nullptr; // "Database 2"
    QLineEdit* Text23 = nullptr;
    QLabel* Label24 = nullptr; // "Object 2"
    QComboBox* Combo2 = nullptr;
    QLabel* Label28 = nullptr;        // status line
    QRadioButton* Option2 = nullptr;  // "Stored Procedures"
    QRadioButton* Option1 = nullptr;  // "Tables"
    QPushButton* Command11 = nullptr; // "Connect"
    QPushButton* Command9 = nullptr;  // "Com&pare"
    QPushButton* Command12 = nullptr; // "View Log"

    // --- Frame8 "Sql Watch" (the lock watch) ---
    QGroupBox* Frame8 = nullptr;
    QLabel* Label14 = nullptr; // "Sql Server"
    QLineEdit* Text8 = nullptr;
    QLabel* Label16 = nullptr; // "Sql Database"
    QLineEdit* Text9 = nullptr;
    QLabel* Label35 = nullptr; // "User Name"
    QLineEdit* Text31 = nullptr;
    QLabel* Label37 = nullptr; // "Password"
    QLineEdit* Text32 = nullptr;
    QPushButton* Command21 = nullptr; // "Email Setup"
    QLabel* Label6 = nullptr;         // status line
    QRadioButton* Option3 = nullptr;  // "Check for Locks"
    QRadioButton* Option4 = nullptr;  // "Check for No Locks"
    QPushButton* Command8 = nullptr;  // "&Run"
    ui::Timer* Timer2 = nullptr;      // the watch's poll, 60000 ms

    // Connect: fills both object lists from the two servers.
    void Command11_Click();
    // Compare: the objects of the two lists' texts, or every listed object with "All".
    void Command9_Click();
    // View Log: shows the compare log window.
    void Command12_Click();
    // Find / Cancel.
    void Command10_Click();
    // Run / Stop of the lock watch.
    void Command8_Click();
    // The lock watch's poll: a new check.
    void Timer2_Timer();
    // Email Setup: shows the mail setup window, non-modal.
    void Command21_Click();

    // Stops a running compare, a running search and the lock watch (a check in progress at its
    // next row, deciding nothing): the program is ending.
    void stopRunning();

private:
    void createFinderFrame();
    void createCompareFrame();
    void createWatchFrame();
    void connectCompare();
    void connectFinder();
    void connectWatch();

    bool stopCompare_ = false;
    bool searching_ = false;
    bool stopSearch_ = false;
    std::unique_ptr<tools::WatchFrame> watchFrame_;
    std::unique_ptr<tools::LockWatch> watch_;
};
