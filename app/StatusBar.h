#pragma once

#include <QStatusBar>

class QLabel;

namespace app {

// The main window's status bar: two text panels, numbered 1 and 2, each with a width in
// twips. Panel 1 shows the row count of a run, panel 2 its elapsed seconds; a note beside them
// tells how a run is going.
class PanelStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    static constexpr int panelCount = 2;
    // The width of each panel until a run sets its own.
    static constexpr int initialPanelWidth = 1440;

    explicit PanelStatusBar(QWidget* parent = nullptr);

    // `index` is 1 or 2; other numbers are ignored (text and width read as empty and 0).
    QString panelText(int index) const;
    void setPanelText(int index, const QString& text);
    int panelWidth(int index) const;
    void setPanelWidth(int index, int twipWidth);

    QLabel* panel(int index) const;

    // The line beside the panels: a run's progress, a cancelled result, or nothing.
    QString note() const;
    void setNote(const QString& text);

private:
    QLabel* panels_[panelCount] = {};
    QLabel* note_ = nullptr;
    int widths_[panelCount] = {};
};

} // namespace app
