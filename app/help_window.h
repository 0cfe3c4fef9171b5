#pragma once
// The help window: the help document shown in a text browser, opened at its top. Escape and
// Ctrl+W close it.

#include <QTextBrowser>
#include <QWidget>

class HelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* owner);

    // Shows the first of `candidates` that exists, or a note naming where it was looked for.
    void showDocument(const QStringList& candidates);
    QTextBrowser* browser() const { return browser_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    QTextBrowser* browser_;
    QString shownFile_;
};
