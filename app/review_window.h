#pragma once
// The review window: a folder's JPEG photos as a grid of tiles, each as it will look after its
// planned turn, marked where it will change and warned where it would be refused. The user picks
// photos (mouse, Shift, Ctrl, arrows, Ctrl+A) and changes their plan (the toolbar, the context
// menu, [ and ] or Ctrl+L and Ctrl+R, 0), looks at one large (Space, double click; Escape goes
// back), may show only the photos that will change, and turns them ("Turn N photos", Ctrl+Return)
// with the status window's progress and Cancel; each tile then shows what became of its photo.
// The plan, the looks and the run are shell's plain classes; this is their window.

#include <QAction>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimer>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/shell/review_plan.h"
#include "app/shell/review_run.h"
#include "app/shell/run_window.h"
#include "app/shell/shell_commands.h"
#include "platform/message_sink.h"
#include "workflow/processing_options.h"
#include "workflow/tile_loader.h"

class ChangingFilter;
class LargeView;
class ReviewModel;
class StatusWindow;

struct ReviewServices {
    platform::MessageSink* messages = nullptr;  // required
    shell::FileRotator rotate;                   // required: turns one planned photo
    unsigned jobs = 0;  // photos turned at once, and tiles made at once; 0: one for each core
};

class ReviewWindow : public QDialog, public shell::RunWindow {
    Q_OBJECT
public:
    // Lists `folder` (a single file is taken too) with the switches of `options`, which the run
    // also applies (backup, times), and plans it as the folder command would.
    ReviewWindow(const std::string& folder, const ProcessingOptions& options, const ReviewServices& services,
                 QWidget* parent = nullptr);
    ~ReviewWindow() override;

    const shell::ReviewPlan& plan() const { return plan_; }
    QListView* grid() const { return grid_; }
    LargeView* largeView() const { return large_; }
    StatusWindow* statusWindow() const { return statusWindow_; }
    QAction* choiceAction(shell::ReviewChoice choice) const { return choiceActions_.at(choice); }
    bool showingLarge() const;
    // Every tile near the view made and every photo's facts read and shown.
    bool settled() const;
    // The photos of the selection, in their order (in the large view: the photo shown).
    std::vector<std::size_t> selectedPhotos() const;
    // The grid's row of a photo; -1 when the filter hides it.
    int rowOf(std::size_t photo) const;

    // RunWindow
    void beginRun() override;
    void endRun() override;
    void pumpMessages() override;
    void showProgress(const shell::ShownProgress& progress) override;

public slots:
    void choose(shell::ReviewChoice choice);
    void turnPhotos();
    void showLarge();
    void showGrid();
    // Escape and the close control: during a run it asks whether to cancel; with changes of the
    // user's own not yet turned, whether to close without turning them.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildControls();
    void addChoiceActions();
    void takeFindings();
    void wantVisible();
    void showCounts();
    void showLargePhoto(std::size_t photo);
    void stepLarge(int by);
    void afterRun(const std::vector<std::pair<std::size_t, TransformKind>>& ran);
    // Puts back what the last run turned (`ran`: each photo with the turn it was given).
    void undoRun(const std::vector<std::pair<std::size_t, TransformKind>>& ran);
    std::size_t photoAt(int row) const;

    std::string folder_;
    ProcessingOptions options_;
    platform::MessageSink& messages_;
    shell::ReviewPlan plan_;
    std::size_t hiddenSkipped_ = 0;
    std::unique_ptr<TileLoader> loader_;
    std::unique_ptr<shell::ReviewRun> run_;
    ReviewModel* model_ = nullptr;
    ChangingFilter* filter_ = nullptr;
    int pictureSide_ = 160;
    bool running_ = false, closeAfterRun_ = false;
    std::size_t largePhoto_ = 0;
    std::optional<std::pair<std::size_t, std::pair<int, int>>> largeAsked_;  // the photo and box asked of the loader

    QLabel* summary_ = nullptr;
    QStackedWidget* pages_ = nullptr;
    QListView* grid_ = nullptr;
    LargeView* large_ = nullptr;
    QCheckBox* onlyChanging_ = nullptr;
    QPushButton* turnButton_ = nullptr;
    QPushButton* closeButton_ = nullptr;
    QAction* showLargeAction_ = nullptr;
    std::map<shell::ReviewChoice, QAction*> choiceActions_;
    StatusWindow* statusWindow_ = nullptr;
    QTimer wantTimer_;
};
