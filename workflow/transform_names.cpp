#include "workflow/transform_names.h"

#include <strings.h>

namespace {

struct NamedKind {
    const char* name;
    TransformKind kind;
};

constexpr NamedKind kTransformNames[] = {
    {"rotate 90", TransformKind::Rotate90},
    {"rotate 180", TransformKind::Rotate180},
    {"rotate 270", TransformKind::Rotate270},
    {"flip horizontal", TransformKind::FlipHorizontal},
    {"flip vertical", TransformKind::FlipVertical},
    {"transpose", TransformKind::Transpose},
    {"transverse", TransformKind::Transverse},
    {"none", TransformKind::None},
};

}  // namespace

bool transformKindFromAnyName(const std::string& name, TransformKind* kind) {
    for (const NamedKind& entry : kTransformNames) {
        if (::strcasecmp(name.c_str(), entry.name) == 0) {
            *kind = entry.kind;
            return true;
        }
    }
    return false;
}

const char* transformNameOf(TransformKind kind) {
    for (const NamedKind& entry : kTransformNames)
        if (entry.kind == kind) return entry.name;
    return "none";
}

std::string transformNameList() {
    std::string list;
    for (const NamedKind& entry : kTransformNames) list += (list.empty() ? "" : ", ") + std::string(entry.name);
    return list;
}
