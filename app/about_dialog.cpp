#include "app/about_dialog.h"

#include <QLabel>

#include "app/app_icon.h"
#include "app/dialog_units.h"
#include "platform/qt/screen_fit.h"
#include "workflow/program_notice.h"

namespace {

QLabel* centredText(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    return label;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* owner, platform::LinkOpener& opener, platform::MessageSink& messages)
    : QDialog(owner) {
    setWindowTitle("About Pivora");
    setObjectName("aboutDialog");
    DialogLayout layout(this);
    auto* icon = layout.place(new QLabel(this), {75, 13, 20, 20}, true);
    icon->setObjectName("icon");
    icon->setAlignment(Qt::AlignCenter);

    layout.place(centredText("PIVORA", this), {33, 34, 100, 9})->setObjectName("name");
    layout.place(centredText("Version " PIVORA_VERSION, this), {60, 45, 48, 8})->setObjectName("version");
    layout.place(centredText(kCopyrightLine, this), {8, 56, 151, 8})->setObjectName("copyright");
    layout.place(centredText(kLicenceLine, this), {8, 65, 151, 8})->setObjectName("licence");
    layout.place(centredText("Comments?", this), {55, 79, 59, 8});

    mailLink_ = layout.place(new LinkLabel("Send me mail!", this, opener, messages), {49, 90, 70, 8});
    mailLink_->setObjectName("mailLink");
    mailLink_->setProperty("controlId", 1006);
    mailLink_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    layout.place(centredText("For other exciting products:", this), {21, 108, 125, 8});

    webLink_ = layout.place(new LinkLabel("Visit www.velmora.example", this, opener, messages), {31, 120, 105, 9});
    webLink_->setObjectName("webLink");
    webLink_->setProperty("controlId", 1007);
    webLink_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);

    ok_ = layout.place(new QPushButton("OK", this), {55, 145, 54, 14});
    ok_->setObjectName("ok");
    ok_->setProperty("controlId", 1);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    layout.apply(167, 168);

    const int side = std::min(icon->width(), icon->height());
    icon->setPixmap(pivoraIcon().pixmap(side, side));
    if (owner) move(owner->mapToGlobal(QPoint(DialogUnits(font()).x(90), DialogUnits(font()).y(40))));

    mailLink_->attach();
    webLink_->attach();
    mailLink_->setUrl(kMakerMailLink);
    webLink_->setUrl(kMakerWebLink);
    ok_->setFocus();
}

void AboutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    platform::fitOnScreen(*this);
}
