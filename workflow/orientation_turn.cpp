#include "workflow/orientation_turn.h"

TransformKind turnForOrientation(std::int32_t orientation) {
    switch (orientation) {
    case 2: return TransformKind::FlipHorizontal;
    case 3: return TransformKind::Rotate180;
    case 4: return TransformKind::FlipVertical;
    case 5: return TransformKind::Transpose;
    case 6: return TransformKind::Rotate90;
    case 7: return TransformKind::Transverse;
    case 8: return TransformKind::Rotate270;
    default: return TransformKind::None;
    }
}
