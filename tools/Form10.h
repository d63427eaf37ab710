#pragma once

#include <QWidget>

class QCloseEvent;
class QPlainTextEdit;
class QPushButton;
class QResizeEvent;

namespace tools {

// The compare log window "Brindle Compare Log": the text of the last compare. One for the
// program; closing it only hides it, so its text (and the user's edits) stay until the next
// compare replaces it.
class Form10 : public QWidget
{
    Q_OBJECT

public:
    explicit Form10(QWidget* parent = nullptr);

    QPlainTextEdit* Text1 = nullptr; // the log text
    QPushButton* Command1 = nullptr; // "&OK"

    // Replaces the whole text (CR LF line ends); the window's visibility does not change.
    void setLogText(const QString& text);

    void Command1_Click();
    void Form_Resize();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
};

// The compare log window, created hidden on first use (a window of `owner` when given).
Form10& form10(QWidget* owner = nullptr);

} // namespace tools
