#pragma once
// The choosers of the window: Qt's file dialog and the vetted folder dialog.

#include <QPointer>
#include <QWidget>

#include "app/shell/choosers.h"

class DialogChoosers : public shell::Choosers {
public:
    explicit DialogChoosers(QWidget* owner) : owner_(owner) {}
    std::optional<std::string> chooseJpegFile(const std::string& initialFolder) override;
    std::optional<std::string> chooseFolder(const std::string& startFolder) override;

private:
    QPointer<QWidget> owner_;
};
