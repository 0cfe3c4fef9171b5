#pragma once
// The review's photos as a list model for the grid: one row a photo, in the listing's order, each
// with its name, its tooltip, what its tile shows (from shell::tileLook) and its picture as it
// will look. The filter keeps the photos that will change. Only the rows the view draws are ever
// asked for, so a folder of ten thousand photos costs ten thousand small plan entries and the
// pictures near the view.

#include <QAbstractListModel>
#include <QImage>
#include <QSortFilterProxyModel>
#include <memory>
#include <unordered_map>
#include <vector>

#include "app/shell/review_plan.h"
#include "app/shell/tile_look.h"
#include "workflow/tile_loader.h"

// `pixels` as an image of their own.
QImage imageOf(const TilePixels& pixels);

class ReviewModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role { MarkRole = Qt::UserRole + 1, TurnRole, UprightRole, CaptionRole, PictureRole, PhotoRole };

    ReviewModel(const shell::ReviewPlan& plan, TileLoader& loader, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The photo as it will look: its tile's picture turned as planned; null until it is made.
    QImage picture(std::size_t photo) const;
    // The photos whose plan, facts or picture changed.
    void photosChanged(const std::vector<std::size_t>& photos);
    void allChanged();

private:
    struct Shown {
        std::shared_ptr<const TilePixels> pixels;  // what it was made from
        TransformKind turn = TransformKind::None;
        QImage image;
    };
    const shell::ReviewPlan& plan_;
    TileLoader& loader_;
    mutable std::unordered_map<std::size_t, Shown> shown_;  // the pictures drawn lately
};

// The photos that will change, when asked for; all of them otherwise.
class ChangingFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    ChangingFilter(const shell::ReviewPlan& plan, QObject* parent = nullptr);
    void setOnlyChanging(bool only);
    bool onlyChanging() const { return only_; }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override;

private:
    const shell::ReviewPlan& plan_;
    bool only_ = false;
};
