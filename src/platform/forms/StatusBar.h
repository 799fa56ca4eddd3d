#pragma once
// The status bar: text panels and self-updating date and time panels.

#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <vector>

namespace forms {

// A status bar of fixed panels: text panels written by the window, and
// date and time panels that the bar keeps current itself.
class StatusBar : public QFrame {
    Q_OBJECT
public:
    // Time shows hours, minutes and seconds, ShortTime hours and minutes.
    enum class Kind { Text, Date, Time, ShortTime };
    struct PanelDef {
        Kind kind;
        const char* text;
        int widthTwips;
    };
    StatusBar(const PanelDef* panels, int count, QWidget* parent = nullptr);

    // Panels are numbered from 1, as the window's code names them.
    QString PanelText(int panel) const;
    void SetPanelText(int panel, const QString& text);
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    QLabel* Panel(int panel) const;
    void RefreshClock();

private:
    std::vector<QLabel*> panels_;
    std::vector<Kind> kinds_;
    QTimer clock_;
};

} // namespace forms
