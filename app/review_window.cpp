#include "app/review_window.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QScrollBar>
#include <QShortcut>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/large_view.h"
#include "app/review_model.h"
#include "app/status_window.h"
#include "app/tile_delegate.h"
#include "app/turn_marks.h"
#include "platform/qt/screen_fit.h"
#include "transform/turns.h"
#include "workflow/folder_walk.h"
#include "workflow/run_journal.h"

namespace {

using shell::ReviewChoice;

// The keys and names of the choices the window gives them.
struct ChoiceKeys {
    ReviewChoice choice;
    const char* name;
    QList<QKeySequence> keys;
};
const ChoiceKeys kChoiceKeys[] = {
    {ReviewChoice::TurnLeft, "turnLeft", {QKeySequence(Qt::Key_BracketLeft), QKeySequence(Qt::CTRL | Qt::Key_L)}},
    {ReviewChoice::TurnRight, "turnRight", {QKeySequence(Qt::Key_BracketRight), QKeySequence(Qt::CTRL | Qt::Key_R)}},
    {ReviewChoice::TurnHalf, "turnHalf", {}},
    {ReviewChoice::FlipHorizontally, "flipHorizontally", {}},
    {ReviewChoice::FlipVertically, "flipVertically", {}},
    {ReviewChoice::Leave, "leave", {QKeySequence(Qt::Key_0)}},
};

constexpr int kPicture = 160;            // a tile's picture, in the window's pixels
constexpr std::size_t kTileCache = 64u << 20;  // bytes of tile pictures at a pixel ratio of 1
// The second line of the summary: what the tiles say, and that nothing happens on disk before the run.
const char* const kHowToRead =
    "Each photo is shown as it will look. Framed photos will change; a warning sign marks one that cannot be turned. "
    "Pick photos to change their turn: nothing is turned before the Turn button is pressed.";
const char* const kCancelRunQuestion = "A run is still going on. Cancel it and close the review?";

std::vector<RunFile> listed(const std::string& folder, const ProcessingOptions& options, std::size_t* hidden) {
    // Opening the review changes nothing: a stray file of an interrupted run is left to the next folder run.
    RunListing listing(options, {}, nullptr, false);
    listing.add(folder);
    *hidden = listing.hiddenSkipped();
    return listing.files();
}

std::string closeQuestion(std::size_t changes) {
    return std::to_string(changes) + (changes == 1 ? " photo has a change" : " photos have changes") +
           " of yours that is not turned yet. Close the review without turning?";
}

}  // namespace

ReviewWindow::ReviewWindow(const std::string& folder, const ProcessingOptions& options, const ReviewServices& services,
                           QWidget* parent)
    : QDialog(parent),
      folder_(folder),
      options_(options),
      messages_(*services.messages),
      plan_(listed(folder, options, &hiddenSkipped_), options) {
    plan_.leaveTurnedBefore(listRuns());
    const qreal ratio = std::clamp(devicePixelRatioF(), 1.0, 3.0);
    const int side = static_cast<int>(kPicture * ratio);
    const auto cacheBytes = static_cast<std::size_t>(static_cast<double>(kTileCache) * ratio * ratio);
    loader_ = std::make_unique<TileLoader>(plan_.paths(), TileBox{side, side}, services.jobs, cacheBytes, [this] {
        QMetaObject::invokeMethod(this, &ReviewWindow::takeFindings, Qt::QueuedConnection);
    });
    run_ = std::make_unique<shell::ReviewRun>(*this, services.rotate, services.jobs);
    model_ = new ReviewModel(plan_, *loader_, this);
    filter_ = new ChangingFilter(plan_, this);
    filter_->setSourceModel(model_);
    buildControls();
    statusWindow_ = new StatusWindow(this, [this] { run_->cancel(); });
    statusWindow_->hide();
    wantTimer_.setSingleShot(true);
    wantTimer_.setInterval(20);
    connect(&wantTimer_, &QTimer::timeout, this, &ReviewWindow::wantVisible);
    showCounts();
}

ReviewWindow::~ReviewWindow() {
    // The workers stop before the window they report to goes.
    loader_.reset();
}

void ReviewWindow::buildControls() {
    setObjectName("reviewWindow");
    setWindowTitle(QString::fromStdString("Review photos - " + folder_));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    auto* layout = new QVBoxLayout(this);
    auto* tools = new QToolBar(this);
    tools->setObjectName("reviewTools");
    tools->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tools->setIconSize(QSize(24, 24));
    layout->addWidget(tools);
    summary_ = new QLabel(this);
    summary_->setObjectName("summary");
    summary_->setWordWrap(true);
    layout->addWidget(summary_);

    pages_ = new QStackedWidget(this);
    grid_ = new QListView(pages_);
    grid_->setObjectName("tiles");
    grid_->setViewMode(QListView::IconMode);
    grid_->setFlow(QListView::LeftToRight);
    grid_->setWrapping(true);
    grid_->setResizeMode(QListView::Adjust);
    grid_->setMovement(QListView::Static);
    grid_->setUniformItemSizes(true);
    grid_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grid_->setSelectionRectVisible(true);
    grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    auto* delegate = new TileDelegate(kPicture, grid_);
    grid_->setItemDelegate(delegate);
    grid_->setModel(filter_);
    QStyleOptionViewItem probe;
    probe.initFrom(grid_);
    grid_->setGridSize(delegate->sizeHint(probe, {}));
    grid_->verticalScrollBar()->setSingleStep(grid_->gridSize().height() / 4);
    pages_->addWidget(grid_);
    large_ = new LargeView(pages_);
    pages_->addWidget(large_);
    layout->addWidget(pages_, 1);

    auto* bottom = new QHBoxLayout;
    onlyChanging_ = new QCheckBox("&Only photos that will change", this);
    onlyChanging_->setObjectName("onlyChanging");
    bottom->addWidget(onlyChanging_);
    bottom->addStretch(1);
    turnButton_ = new QPushButton(this);
    turnButton_->setObjectName("turnPhotos");
    turnButton_->setToolTip("Turns the photos as planned (Ctrl+Return)");
    closeButton_ = new QPushButton("&Close", this);
    closeButton_->setObjectName("close");
    // Enter turns nothing: it only ever presses the button that has the focus.
    for (QPushButton* button : {turnButton_, closeButton_}) {
        button->setAutoDefault(false);
        bottom->addWidget(button);
    }
    layout->addLayout(bottom);

    addChoiceActions();
    for (ReviewChoice choice : shell::reviewChoices()) tools->addAction(choiceActions_[choice]);
    tools->addSeparator();
    showLargeAction_ = new QAction(style()->standardIcon(QStyle::SP_FileDialogContentsView), "Show large", this);
    showLargeAction_->setObjectName("showLarge");
    showLargeAction_->setToolTip("Shows the photo large, as it will look (Space; Escape goes back)");
    tools->addAction(showLargeAction_);
    auto* space = new QShortcut(QKeySequence(Qt::Key_Space), grid_, nullptr, nullptr, Qt::WidgetShortcut);
    connect(space, &QShortcut::activated, this, &ReviewWindow::showLarge);
    connect(showLargeAction_, &QAction::triggered, this, &ReviewWindow::showLarge);
    auto* separator = new QAction(this);
    separator->setSeparator(true);
    grid_->addAction(separator);
    grid_->addAction(showLargeAction_);
    grid_->setContextMenuPolicy(Qt::ActionsContextMenu);
    for (const QKeySequence& keys : {QKeySequence(Qt::CTRL | Qt::Key_Return), QKeySequence(Qt::CTRL | Qt::Key_Enter)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &ReviewWindow::turnPhotos);

    connect(grid_, &QListView::doubleClicked, this, &ReviewWindow::showLarge);
    connect(large_, &LargeView::back, this, &ReviewWindow::showGrid);
    connect(large_, &LargeView::step, this, &ReviewWindow::stepLarge);
    connect(onlyChanging_, &QCheckBox::toggled, this, [this](bool only) {
        filter_->setOnlyChanging(only);
        wantTimer_.start();
    });
    connect(turnButton_, &QPushButton::clicked, this, &ReviewWindow::turnPhotos);
    connect(closeButton_, &QPushButton::clicked, this, &ReviewWindow::reject);
    connect(grid_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { wantTimer_.start(); });
    connect(filter_, &QAbstractItemModel::rowsInserted, this, [this] { wantTimer_.start(); });
    connect(filter_, &QAbstractItemModel::rowsRemoved, this, [this] { wantTimer_.start(); });
    connect(grid_->selectionModel(), &QItemSelectionModel::selectionChanged, this, &ReviewWindow::showCounts);

    const int cell = grid_->gridSize().width();
    resize(6 * cell + 40, 3 * grid_->gridSize().height() + 150);
}

void ReviewWindow::addChoiceActions() {
    const QColor ink = palette().color(QPalette::ButtonText);
    for (const ChoiceKeys& keys : kChoiceKeys) {
        const shell::ChoiceFacts& facts = shell::choiceFacts(keys.choice);
        auto* action = new QAction(choiceIcon(keys.choice, ink), facts.name, this);
        action->setObjectName(keys.name);
        action->setShortcuts(keys.keys);
        QString tip = QString(facts.tip);
        if (!keys.keys.isEmpty()) {
            QStringList names;
            for (const QKeySequence& key : keys.keys) names << key.toString(QKeySequence::NativeText);
            tip += " (" + names.join(", ") + ")";
        }
        action->setToolTip(QString(facts.name) + ": " + tip);
        connect(action, &QAction::triggered, this, [this, choice = keys.choice] { choose(choice); });
        choiceActions_[keys.choice] = action;
        addAction(action);  // its keys work wherever the focus is in the window
        grid_->addAction(action);
    }
}

bool ReviewWindow::showingLarge() const { return pages_->currentWidget() == large_; }

bool ReviewWindow::settled() const { return loader_->idle() && !loader_->hasFindings(); }

std::size_t ReviewWindow::photoAt(int row) const {
    return static_cast<std::size_t>(filter_->mapToSource(filter_->index(row, 0)).row());
}

int ReviewWindow::rowOf(std::size_t photo) const {
    return filter_->mapFromSource(model_->index(static_cast<int>(photo))).row();
}

std::vector<std::size_t> ReviewWindow::selectedPhotos() const {
    if (showingLarge()) return {largePhoto_};
    std::vector<std::size_t> photos;
    for (const QModelIndex& index : grid_->selectionModel()->selectedIndexes())
        photos.push_back(static_cast<std::size_t>(filter_->mapToSource(index).row()));
    std::sort(photos.begin(), photos.end());
    return photos;
}

void ReviewWindow::choose(ReviewChoice choice) {
    if (running_) return;
    const std::vector<std::size_t> photos = selectedPhotos();
    if (photos.empty()) return;
    plan_.choose(photos, choice);
    model_->photosChanged(photos);
    if (showingLarge()) showLargePhoto(largePhoto_);
    showCounts();
}

void ReviewWindow::showCounts() {
    std::size_t refused = 0;
    for (std::size_t i = 0; i < plan_.size(); ++i) refused += plan_.refused(i) ? 1 : 0;
    const std::size_t changes = plan_.toTurn();
    QString text = QString("%1: %2 photo%3, %4 will change")
                       .arg(QString::fromStdString(folder_))
                       .arg(plan_.size())
                       .arg(plan_.size() == 1 ? "" : "s")
                       .arg(changes);
    if (refused) text += QString(", %1 cannot be turned").arg(refused);
    if (hiddenSkipped_) text += QString(" (%1 hidden left out)").arg(hiddenSkipped_);
    summary_->setText(text + "\n" + kHowToRead);
    turnButton_->setText("&" + QString::fromStdString(shell::turnButtonText(changes)));
    turnButton_->setEnabled(changes != 0 && !running_);
    const bool picked = !running_ && (showingLarge() || grid_->selectionModel()->hasSelection());
    for (auto& [choice, action] : choiceActions_) action->setEnabled(picked);
    showLargeAction_->setEnabled(!running_ && (showingLarge() || grid_->currentIndex().isValid()));
}

void ReviewWindow::takeFindings() {
    std::vector<std::size_t> changed;
    for (const LoadedPhoto& found : loader_->take()) {
        const bool tileAgain = plan_.learn(found.index, found.facts, found.picture && !found.large);
        if (tileAgain) loader_->reread(found.index, false);
        changed.push_back(found.index);
        if (found.large && showingLarge() && found.index == largePhoto_) showLargePhoto(largePhoto_);
    }
    if (changed.empty()) return;
    model_->photosChanged(changed);
    showCounts();
}

void ReviewWindow::wantVisible() {
    const int rows = filter_->rowCount();
    if (rows == 0) return;
    const QSize cell = grid_->gridSize();
    const QSize room = grid_->viewport()->size();
    const int across = std::max(1, room.width() / std::max(1, cell.width()));
    const int screen = across * (room.height() / std::max(1, cell.height()) + 2);
    const QModelIndex top = grid_->indexAt(QPoint(cell.width() / 2, cell.height() / 2));
    const int first = top.isValid() ? top.row() - top.row() % across : 0;
    const int last = std::min(rows, first + screen);
    std::vector<std::size_t> wanted;
    for (int row = first; row < last; ++row) wanted.push_back(photoAt(row));
    // Then a screen on either side, nearest first, for scrolling on.
    for (int step = 0; step < screen; ++step) {
        if (last + step < rows) wanted.push_back(photoAt(last + step));
        if (first - 1 - step >= 0) wanted.push_back(photoAt(first - 1 - step));
    }
    loader_->want(std::move(wanted));
}

void ReviewWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    platform::fitOnScreen(*this);
    grid_->setFocus();
    if (!grid_->currentIndex().isValid() && filter_->rowCount() > 0)
        grid_->selectionModel()->setCurrentIndex(filter_->index(0, 0), QItemSelectionModel::NoUpdate);
    wantTimer_.start(0);
}

void ReviewWindow::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    wantTimer_.start();
    if (showingLarge()) showLargePhoto(largePhoto_);
}

void ReviewWindow::showLarge() {
    if (running_) return;
    QModelIndex current = grid_->currentIndex();
    if (!current.isValid()) {
        const QModelIndexList picked = grid_->selectionModel()->selectedIndexes();
        if (picked.isEmpty()) return;
        current = picked.front();
    }
    pages_->setCurrentWidget(large_);
    large_->setFocus();
    showLargePhoto(static_cast<std::size_t>(filter_->mapToSource(current).row()));
    showCounts();
}

void ReviewWindow::showLargePhoto(std::size_t photo) {
    largePhoto_ = photo;
    const shell::TileLook look = shell::tileLook(plan_, photo);
    const QRect room = large_->pictureRoom();
    const qreal ratio = devicePixelRatioF();
    TileBox box{static_cast<int>(room.width() * ratio), static_cast<int>(room.height() * ratio)};
    if (turnFacts(look.turn).transposes) std::swap(box.width, box.height);  // the box of the photo before its turn
    const auto asked = std::make_pair(photo, std::make_pair(box.width, box.height));
    if (largeAsked_ != asked) {
        largeAsked_ = asked;
        loader_->wantLarge(photo, box);
    }
    std::shared_ptr<const TilePixels> pixels = loader_->largePicture(photo);
    if (!pixels) pixels = loader_->picture(photo);  // the tile's, until the large one is made
    const QImage image = pixels ? imageOf(turnedPixels(*pixels, look.turn)) : QImage();
    const int row = rowOf(photo);
    std::string plan = look.tooltip.substr(std::min(look.tooltip.size(), look.tooltip.find('\n') + 1));
    std::replace(plan.begin(), plan.end(), '\n', ' ');
    large_->show(image, QString("%1  (%2 of %3)\n%4")
                            .arg(QString::fromStdString(look.name))
                            .arg(row + 1)
                            .arg(filter_->rowCount())
                            .arg(QString::fromStdString(plan)));
}

void ReviewWindow::stepLarge(int by) {
    const int row = rowOf(largePhoto_) + by;
    if (row < 0 || row >= filter_->rowCount()) return;
    const QModelIndex index = filter_->index(row, 0);
    grid_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
    showLargePhoto(photoAt(row));
}

void ReviewWindow::showGrid() {
    pages_->setCurrentWidget(grid_);
    const int row = rowOf(largePhoto_);
    if (row >= 0) {
        const QModelIndex index = filter_->index(row, 0);
        grid_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        grid_->scrollTo(index);
    }
    grid_->setFocus();
    showCounts();
}

void ReviewWindow::turnPhotos() {
    if (running_ || plan_.toTurn() == 0) return;
    if (showingLarge()) showGrid();
    std::vector<std::pair<std::size_t, TransformKind>> ran;
    for (std::size_t photo : plan_.runIndexes()) ran.emplace_back(photo, plan_.photo(photo).planned.turn);
    closeAfterRun_ = false;
    loader_->pause(true);  // the run wants every core
    const shell::ResultMessage result = run_->apply(plan_, options_, folder_);
    loader_->pause(false);
    afterRun(ran);
    const bool turnedAny = std::any_of(ran.begin(), ran.end(), [this](const auto& photo) {
        return plan_.photo(photo.first).result == shell::TileResult::Turned;
    });
    const bool offerUndo = turnedAny && !closeAfterRun_ && !run_->lastJournal().empty();
    if (!offerUndo)
        messages_.showWithDetails(result.text, result.icon, result.details);
    else if (messages_.choose(result.text, result.icon, result.details, {"OK", "Undo this run"}, 0, 0) == 1)
        undoRun(ran);
    if (closeAfterRun_) QDialog::reject();
}

void ReviewWindow::undoRun(const std::vector<std::pair<std::size_t, TransformKind>>& ran) {
    loader_->pause(true);
    const shell::ResultMessage result = run_->undo(plan_, options_, run_->lastJournal());
    loader_->pause(false);
    for (const auto& [photo, turn] : ran) {
        if (plan_.photo(photo).result != shell::TileResult::PutBack) continue;
        // The tile shows the photo as it was at once, the turn taken back; its header is read again.
        if (const std::shared_ptr<const TilePixels> tile = loader_->picture(photo))
            loader_->putPicture(photo, turnedPixels(*tile, inverse(turn)));
        loader_->reread(photo, true);
    }
    largeAsked_.reset();
    model_->allChanged();
    showCounts();
    wantTimer_.start();
    messages_.showWithDetails(result.text, result.icon, result.details);
}

void ReviewWindow::afterRun(const std::vector<std::pair<std::size_t, TransformKind>>& ran) {
    for (const auto& [photo, turn] : ran) {
        const shell::TileResult result = plan_.photo(photo).result;
        if (result == shell::TileResult::Turned) {
            // The tile shows what the photo was turned into at once; its header is read again.
            if (const std::shared_ptr<const TilePixels> tile = loader_->picture(photo))
                loader_->putPicture(photo, turnedPixels(*tile, turn));
            loader_->reread(photo, true);
        } else if (result == shell::TileResult::ChangedOnDisk) {
            loader_->reread(photo, false);
        }
    }
    largeAsked_.reset();  // a photo shown large may be another now
    model_->allChanged();
    showCounts();
    wantTimer_.start();
}

void ReviewWindow::reject() {
    if (running_) {
        if (!closeAfterRun_ && messages_.ask(kCancelRunQuestion)) {
            closeAfterRun_ = true;
            run_->cancel();
        }
        return;
    }
    if (showingLarge()) {
        showGrid();
        return;
    }
    const std::size_t changes = plan_.chosenChanges();
    if (changes != 0 && !messages_.ask(closeQuestion(changes))) return;
    QDialog::reject();
}

void ReviewWindow::beginRun() {
    running_ = true;
    showCounts();
    onlyChanging_->setEnabled(false);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    statusWindow_->show();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ReviewWindow::endRun() {
    statusWindow_->hide();
    QApplication::restoreOverrideCursor();
    onlyChanging_->setEnabled(true);
    running_ = false;
    showCounts();
    grid_->setFocus();
}

void ReviewWindow::pumpMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void ReviewWindow::showProgress(const shell::ShownProgress& progress) { statusWindow_->showProgress(progress); }
