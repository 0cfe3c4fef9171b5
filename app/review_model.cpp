#include "app/review_model.h"

#include <algorithm>

namespace {

// More than a few screens of tiles: the drawn pictures are made again from the loader's cache.
constexpr std::size_t kShownPictures = 400;

}  // namespace

QImage imageOf(const TilePixels& pixels) {
    if (pixels.empty()) return {};
    return QImage(pixels.rgb.data(), pixels.width, pixels.height, pixels.width * 3, QImage::Format_RGB888).copy();
}

ReviewModel::ReviewModel(const shell::ReviewPlan& plan, TileLoader& loader, QObject* parent)
    : QAbstractListModel(parent), plan_(plan), loader_(loader) {}

int ReviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(plan_.size());
}

QVariant ReviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || static_cast<std::size_t>(index.row()) >= plan_.size()) return {};
    const std::size_t photo = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole: return QString::fromStdString(shell::tileLook(plan_, photo).name);
    case Qt::ToolTipRole: return QString::fromStdString(shell::tileLook(plan_, photo).tooltip);
    case MarkRole: return static_cast<int>(shell::tileLook(plan_, photo).mark);
    case TurnRole: return static_cast<int>(shell::tileLook(plan_, photo).turn);
    case UprightRole: return shell::tileLook(plan_, photo).tagMadeUpright;
    case CaptionRole: return QString::fromStdString(shell::tileLook(plan_, photo).caption);
    case PictureRole: return picture(photo);
    case PhotoRole: return QVariant::fromValue<qulonglong>(photo);
    default: return {};
    }
}

QImage ReviewModel::picture(std::size_t photo) const {
    const std::shared_ptr<const TilePixels> pixels = loader_.picture(photo);
    if (!pixels) return {};
    const TransformKind turn = shell::tileLook(plan_, photo).turn;
    const auto found = shown_.find(photo);
    if (found != shown_.end() && found->second.pixels == pixels && found->second.turn == turn)
        return found->second.image;
    if (shown_.size() >= kShownPictures) shown_.clear();
    Shown& shown = shown_[photo];
    shown = Shown{pixels, turn, imageOf(turnedPixels(*pixels, turn))};
    return shown.image;
}

void ReviewModel::photosChanged(const std::vector<std::size_t>& photos) {
    if (photos.empty()) return;
    const auto [low, high] = std::minmax_element(photos.begin(), photos.end());
    emit dataChanged(index(static_cast<int>(*low)), index(static_cast<int>(*high)));
}

void ReviewModel::allChanged() {
    if (plan_.size() != 0) emit dataChanged(index(0), index(static_cast<int>(plan_.size()) - 1));
}

ChangingFilter::ChangingFilter(const shell::ReviewPlan& plan, QObject* parent)
    : QSortFilterProxyModel(parent), plan_(plan) {
    setDynamicSortFilter(true);
}

void ChangingFilter::setOnlyChanging(bool only) {
    if (only_ == only) return;
    only_ = only;
    invalidateRowsFilter();
}

bool ChangingFilter::filterAcceptsRow(int row, const QModelIndex&) const {
    return !only_ || (row >= 0 && plan_.willChange(static_cast<std::size_t>(row)));
}
