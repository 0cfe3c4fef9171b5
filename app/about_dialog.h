#pragma once
// The about box: the program's name and version, its copyright and licence, and two links to
// the maker, one to write a mail and one to the web site. Made anew each time it is opened, so both links start unvisited.

#include <QDialog>
#include <QPushButton>

#include "app/link_label.h"

inline constexpr const char* kMakerMailLink = "mailto:pivora@velmora.example";
inline constexpr const char* kMakerWebLink = "https://www.velmora.example/";

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(QWidget* owner, platform::LinkOpener& opener, platform::MessageSink& messages);

    LinkLabel* mailLink() const { return mailLink_; }
    LinkLabel* webLink() const { return webLink_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    LinkLabel* mailLink_;
    LinkLabel* webLink_;
    QPushButton* ok_;
};
