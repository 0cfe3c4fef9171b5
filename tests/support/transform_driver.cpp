#include "tests/support/transform_driver.h"

#include <csetjmp>
#include <cstdlib>

namespace testsupport {
namespace {

// libjpeg is C: its errors come back here by longjmp and become exceptions only outside its frames.
struct ErrorTrap {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    int code;
};

void trapError(j_common_ptr cinfo) {
    auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
    trap->code = cinfo->err->msg_code;
    (*cinfo->err->format_message)(cinfo, trap->message);
    std::longjmp(trap->jump, 1);
}

void ignoreMessage(j_common_ptr) {}

using RequestBlockArray = jvirt_barray_ptr (*)(j_common_ptr, int, boolean, JDIMENSION, JDIMENSION, JDIMENSION);

// Everything the pass records, kept in plain storage so that a longjmp leaves nothing to destroy.
struct Capture {
    RequestBlockArray originalRequest = nullptr;
    WorkspaceRequest requests[MAX_COMPONENTS];
    int requestCount = 0;
    int componentCount = 0;
    bool hasWorkspace = false;
    bool wroteSourceArrays = false;
    unsigned width = 0, height = 0;
    int colorSpace = 0, outputComponents = 0;
    int hSamp[MAX_COMPONENTS] = {}, vSamp[MAX_COMPONENTS] = {}, quantTable[MAX_COMPONENTS] = {};
    bool slotUsed[NUM_QUANT_TBLS] = {};
    std::uint16_t slots[NUM_QUANT_TBLS][DCTSIZE2] = {};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

// Stands in for request_virt_barray while reserveTransformArrays runs, to see the workspace's shape.
jvirt_barray_ptr recordRequest(j_common_ptr cinfo, int pool, boolean preZero, JDIMENSION blocksPerRow,
                               JDIMENSION rows, JDIMENSION maxAccess) {
    auto* capture = static_cast<Capture*>(cinfo->client_data);
    if (capture->requestCount < MAX_COMPONENTS)
        capture->requests[capture->requestCount++] = {pool, preZero != 0, blocksPerRow, rows, maxAccess};
    return capture->originalRequest(cinfo, pool, preZero, blocksPerRow, rows, maxAccess);
}

void captureParameters(const jpeg_compress_struct& dst, Capture* capture) {
    capture->width = dst.image_width;
    capture->height = dst.image_height;
    capture->colorSpace = dst.jpeg_color_space;
    capture->outputComponents = dst.num_components;
    for (int c = 0; c < dst.num_components && c < MAX_COMPONENTS; ++c) {
        capture->hSamp[c] = dst.comp_info[c].h_samp_factor;
        capture->vSamp[c] = dst.comp_info[c].v_samp_factor;
        capture->quantTable[c] = dst.comp_info[c].quant_tbl_no;
    }
    for (int slot = 0; slot < NUM_QUANT_TBLS; ++slot) {
        capture->slotUsed[slot] = dst.quant_tbl_ptrs[slot] != nullptr;
        if (!capture->slotUsed[slot]) continue;
        for (int k = 0; k < DCTSIZE2; ++k) capture->slots[slot][k] = dst.quant_tbl_ptrs[slot]->quantval[k];
    }
}

// The whole libjpeg pass. Holds no object with a destructor, since a libjpeg error longjmps out of it.
void runPass(jpeg_decompress_struct* src, jpeg_compress_struct* dst, const std::uint8_t* data, unsigned long length,
             TransformSetup* setup, Capture* capture) {
    jpeg_mem_src(src, data, length);
    jpeg_read_header(src, TRUE);

    src->client_data = capture;
    capture->originalRequest = src->mem->request_virt_barray;
    src->mem->request_virt_barray = recordRequest;
    reserveTransformArrays(src, setup);
    src->mem->request_virt_barray = capture->originalRequest;
    capture->componentCount = setup->componentCount;
    capture->hasWorkspace = setup->targetArrays != nullptr;

    jvirt_barray_ptr* srcArrays = jpeg_read_coefficients(src);
    jpeg_copy_critical_parameters(src, dst);
    jvirt_barray_ptr* dstArrays = prepareTransformOutput(src, dst, srcArrays, setup);
    capture->wroteSourceArrays = dstArrays == srcArrays;
    captureParameters(*dst, capture);

    jpeg_mem_dest(dst, &capture->buffer, &capture->size);
    jpeg_write_coefficients(dst, dstArrays);
    runTransform(src, dst, srcArrays, setup);
    jpeg_finish_compress(dst);
    jpeg_finish_decompress(src);
}

TransformReport toReport(const Capture& capture) {
    TransformReport report;
    report.output.assign(capture.buffer, capture.buffer + capture.size);
    report.componentCount = capture.componentCount;
    report.hasWorkspace = capture.hasWorkspace;
    report.wroteSourceArrays = capture.wroteSourceArrays;
    report.workspace.assign(capture.requests, capture.requests + capture.requestCount);
    OutputParameters& out = report.parameters;
    out.width = capture.width;
    out.height = capture.height;
    out.colorSpace = capture.colorSpace;
    out.componentCount = capture.outputComponents;
    out.hSamp.assign(capture.hSamp, capture.hSamp + capture.outputComponents);
    out.vSamp.assign(capture.vSamp, capture.vSamp + capture.outputComponents);
    out.quantTable.assign(capture.quantTable, capture.quantTable + capture.outputComponents);
    for (int slot = 0; slot < NUM_QUANT_TBLS; ++slot) {
        if (!capture.slotUsed[slot]) continue;
        std::array<std::uint16_t, 64> table{};
        for (int k = 0; k < DCTSIZE2; ++k) table[k] = capture.slots[slot][k];
        out.quantSlots[slot] = table;
    }
    return report;
}

}  // namespace

TransformReport transformWithReport(const Bytes& jpeg, TransformKind kind, bool trim, bool gray) {
    jpeg_decompress_struct src{};
    jpeg_compress_struct dst{};
    ErrorTrap trap{};
    jpeg_std_error(&trap.manager);
    trap.manager.error_exit = trapError;
    trap.manager.output_message = ignoreMessage;
    src.err = &trap.manager;
    dst.err = &trap.manager;
    TransformSetup setup{};
    setup.kind = kind;
    setup.trimPartialBlocks = trim;
    setup.grayOnly = gray;
    Capture capture;

    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&dst);
        jpeg_destroy_decompress(&src);
        std::free(capture.buffer);
        throw JpegError(trap.message, trap.code);
    }
    jpeg_create_decompress(&src);
    jpeg_create_compress(&dst);
    runPass(&src, &dst, jpeg.data(), static_cast<unsigned long>(jpeg.size()), &setup, &capture);
    jpeg_destroy_compress(&dst);
    jpeg_destroy_decompress(&src);

    TransformReport report;
    try {
        report = toReport(capture);
    } catch (...) {
        std::free(capture.buffer);
        throw;
    }
    std::free(capture.buffer);
    return report;
}

Bytes transformInMemory(const Bytes& jpeg, TransformKind kind, bool trim, bool gray) {
    return transformWithReport(jpeg, kind, trim, gray).output;
}

}  // namespace testsupport
