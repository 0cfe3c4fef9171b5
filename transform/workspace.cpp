// The workspace: a second set of coefficient arrays for the kinds that cannot move blocks in place.

#include "transform/jpeg_utilities.h"
#include "transform/transform_setup.h"

namespace {

enum class WorkspaceShape { None, AsSource, Transposed };

WorkspaceShape workspaceShape(TransformKind kind) {
    switch (kind) {
    case TransformKind::FlipVertical:
    case TransformKind::Rotate180: return WorkspaceShape::AsSource;
    case TransformKind::Transpose:
    case TransformKind::Transverse:
    case TransformKind::Rotate90:
    case TransformKind::Rotate270: return WorkspaceShape::Transposed;
    default: return WorkspaceShape::None;  // None, the in-place horizontal flip, unknown codes
    }
}

// Whole iMCUs in each direction, so that the transforms may always access a full group of rows;
// a transposed array is accessed in groups of the source's h rows.
jvirt_barray_ptr requestArray(j_decompress_ptr src, const jpeg_component_info& info, WorkspaceShape shape) {
    long columns = jround_up(static_cast<long>(info.width_in_blocks), info.h_samp_factor);
    long rows = jround_up(static_cast<long>(info.height_in_blocks), info.v_samp_factor);
    auto request = src->mem->request_virt_barray;
    auto* common = reinterpret_cast<j_common_ptr>(src);
    if (shape == WorkspaceShape::Transposed)
        return (*request)(common, JPOOL_IMAGE, FALSE, static_cast<JDIMENSION>(rows), static_cast<JDIMENSION>(columns),
                          static_cast<JDIMENSION>(info.h_samp_factor));
    return (*request)(common, JPOOL_IMAGE, FALSE, static_cast<JDIMENSION>(columns), static_cast<JDIMENSION>(rows),
                      static_cast<JDIMENSION>(info.v_samp_factor));
}

}  // namespace

void reserveTransformArrays(j_decompress_ptr src, TransformSetup* setup) {
    bool grayFromColor = setup->grayOnly && src->jpeg_color_space == JCS_YCbCr && src->num_components == 3;
    setup->componentCount = grayFromColor ? 1 : src->num_components;

    WorkspaceShape shape = workspaceShape(setup->kind);
    if (shape == WorkspaceShape::None) {
        setup->targetArrays = nullptr;
        return;
    }
    auto* arrays = static_cast<jvirt_barray_ptr*>((*src->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(src), JPOOL_IMAGE, sizeof(jvirt_barray_ptr) * setup->componentCount));
    for (int c = 0; c < setup->componentCount; ++c) arrays[c] = requestArray(src, src->comp_info[c], shape);
    setup->targetArrays = arrays;
}
