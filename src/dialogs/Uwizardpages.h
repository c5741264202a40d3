#pragma once
// TWizardPages: the page stack of the wizards. A tab widget whose tab bar shows the page captions
// but takes no input: mouse presses, wheel turns and keys on the bar, and the tab widget's own
// Ctrl+Tab / Ctrl+PageUp / Ctrl+PageDown steps, are swallowed. Only ShowPage changes the page.
#include <QTabWidget>

class TWizardPages : public QTabWidget {
    Q_OBJECT
public:
    explicit TWizardPages(QWidget* parent = nullptr);

    // Adds a page (an empty client widget named `name`) with its tab caption; returns the page.
    QWidget* AddPage(const char* name, const char* caption);
    // Enables only page n and makes it current; nothing for an index out of range.
    void ShowPage(int n);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
