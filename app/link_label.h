#pragma once
// A text label that looks and acts like a link in a web page: its own colours (dark green,
// purple once opened, red under the pointer), underlined while the pointer is over it, a
// pointing-hand cursor, a tooltip with the link, and a click that opens the link.

#include <QBasicTimer>
#include <QColor>
#include <QFont>
#include <QLabel>
#include <functional>

#include "platform/link_opener.h"
#include "platform/message_sink.h"

class LinkLabel : public QLabel {
    Q_OBJECT
public:
    enum UnderlineMode { UnderlineNever = 0, UnderlineAlways = 1, UnderlineOnHover = -1 };
    static constexpr int kHoverInterval = 100;  // milliseconds between checks that the pointer is still over the text

    LinkLabel(const QString& text, QWidget* parent, platform::LinkOpener& opener, platform::MessageSink& messages);

    // Takes the label over as a link: its text becomes the link if none was set, the fonts,
    // cursor and tooltip are made, and the label shrinks to its text.
    void attach();

    void setUrl(const QString& url);
    QString url() const { return url_; }
    void setVisited(bool visited);
    bool visited() const { return visited_; }
    void setUnderline(int mode);
    bool hoverTimerRunning() const { return hoverTimer_.isActive(); }
    // The colour the text is drawn in now.
    QColor textColour() const;

    // What each tick of the hover timer does: when the pointer has left, the link looks idle again.
    void hoverTick();
    // Where the pointer is, in global coordinates (the real cursor unless a test says otherwise).
    void setPointerSource(std::function<QPoint()> pointer) { pointer_ = std::move(pointer); }

    const QColor linkColour{0, 127, 0};
    const QColor visitedColour{85, 26, 139};
    const QColor hoverColour{255, 0, 0};

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    void clicked();
    void fitWindowToText();
    void refreshColour();

    platform::LinkOpener& opener_;
    platform::MessageSink& messages_;
    bool overControl_ = false;
    bool visited_ = false;
    int underlineMode_ = UnderlineOnHover;
    bool adjustToFit_ = true;
    bool attached_ = false;
    QString url_;
    QFont underlineFont_;
    QFont normalFont_;
    QBasicTimer hoverTimer_;
    std::function<QPoint()> pointer_;
};
