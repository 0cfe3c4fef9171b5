#include "app/shell/tile_look.h"

#include "transform/turns.h"
#include "workflow/edge_strip.h"

namespace shell {
namespace {

std::string nameOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* const kCannotBeTurned = "Cannot be turned";

const char* captionOf(TileResult result) {
    switch (result) {
    case TileResult::None: return "";
    case TileResult::Turned: return "Turned";
    case TileResult::Refused: return "Not turned";
    case TileResult::LeftAsItWas: return "Left as it was";
    case TileResult::ChangedOnDisk: return "Changed on disk";
    case TileResult::PutBack: return "Put back";
    }
    return "";
}

std::string resultLine(const ReviewPhoto& photo) {
    switch (photo.result) {
    case TileResult::Turned: return "Turned.";
    case TileResult::Refused: return "Not turned: " + photo.resultReason + ".";
    case TileResult::LeftAsItWas: return "Left as it was.";
    case TileResult::ChangedOnDisk:
        return "Changed on disk since it was shown: it is shown again as it is now, and turned only by the next run.";
    case TileResult::PutBack: return "Put back as it was before the run.";
    case TileResult::None: break;
    }
    return "";
}

std::string planLine(const ReviewPhoto& photo, const TileLook& look) {
    const Foresight& foresight = photo.planned.foresight;
    std::string line;
    if (look.turn != TransformKind::None)
        line = std::string("Planned: ") + turnFacts(look.turn).words + " (" + turnName(look.turn) + "), as a viewer shows it.";
    if (look.tagMadeUpright) {
        line += (line.empty() ? "" : " ");
        line += "Made upright by its orientation tag (" + std::to_string(foresight.orientation) +
                "), which is then set to 1: it looks the same.";
    }
    return line;
}

}  // namespace

TileLook tileLook(const ReviewPlan& plan, std::size_t index) {
    const ReviewPhoto& photo = plan.photo(index);
    const Foresight& foresight = photo.planned.foresight;
    TileLook look;
    look.name = nameOf(photo.planned.path);
    look.turn = photo.planned.turn;
    look.tagMadeUpright = photo.factsKnown && foresight.tagChanges;
    look.caption = captionOf(photo.result);
    std::string lines = photo.planned.path;
    const auto add = [&lines](const std::string& line) {
        if (!line.empty()) lines += "\n" + line;
    };
    if (plan.refused(index)) {
        look.mark = TileMark::Refused;
        look.turn = TransformKind::None;  // it will stay as it is
        look.tagMadeUpright = false;
        if (photo.result == TileResult::None) look.caption = kCannotBeTurned;
        const Refusal& why = photo.planned.knownRefusal.reason != RefusalReason::None ? photo.planned.knownRefusal
                                                                                      : foresight.refusal;
        add("Cannot be turned: " + why.text() + ".");
    } else if (plan.willChange(index)) {
        look.mark = TileMark::Changes;
        add(planLine(photo, look));
        if (photo.factsKnown) add(edgeStripText(foresight.strip, true));
    } else if (photo.factsKnown) {
        look.mark = TileMark::Stays;
        add("Stays as it is.");
        if (!photo.turnedBefore.empty()) add("An earlier run turned it on " + photo.turnedBefore + ".");
    } else {
        add("Not read yet.");
    }
    add(resultLine(photo));
    look.tooltip = lines;
    return look;
}

std::string turnButtonText(std::size_t photos) {
    if (photos == 0) return "Nothing to turn";
    return "Turn " + std::to_string(photos) + (photos == 1 ? " photo" : " photos");
}

}  // namespace shell
