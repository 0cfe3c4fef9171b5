#include "workflow/pixel_turn.h"

#include <algorithm>
#include <csetjmp>

#include "transform/memory_budget.h"
#include "transform/output_geometry.h"
#include "transform/turns.h"
#include "workflow/jpeg_coding.h"
#include "workflow/jpeg_error_trap.h"
#include "workflow/pass_monitor.h"
#include "workflow/source_checks.h"
#include "workflow/vector_destination.h"

namespace {

// As in the coefficient pass: everything libjpeg touches is plain C data outside the frame that
// calls setjmp, and the samples live in libjpeg's own pools, released with the objects.
struct PixelObjects {
    jpeg_decompress_struct source;
    jpeg_compress_struct destination;
    JpegErrorTrap trap;
    PassMonitor sourceMonitor;
    PassMonitor destinationMonitor;
    VectorDestination output;
    JSAMPARRAY planes[MAX_COMPONENTS];  // each component's samples, rows padded to whole iMCUs
    JSAMPARRAY rows[MAX_COMPONENTS];    // one iMCU row of the turned component
    std::jmp_buf jump;
};

// Samples a coefficient pass of the same picture would hold as 2-byte coefficients, twice over.
constexpr std::size_t kHeldPerPlaneByte = 5;

JDIMENSION iMcuRows(JDIMENSION height, int maxV) {
    const JDIMENSION rowsPerImcu = static_cast<JDIMENSION>(maxV * DCTSIZE);
    return (height + rowsPerImcu - 1) / rowsPerImcu;
}

// Decodes every component's samples into its plane.
void readPlanes(PixelObjects& objects, const unsigned char* input, std::size_t size, CoefficientPassResult* result) {
    j_decompress_ptr src = &objects.source;
    jpeg_mem_src(src, input, static_cast<unsigned long>(size));
    (void)jpeg_read_header(src, TRUE);
    result->source = codingOf(src);
    refuseImplausibleHeader(src, size, objects.trap.sawArithmeticConditioning);
    src->raw_data_out = TRUE;
    src->out_color_space = src->jpeg_color_space;
    src->dct_method = JDCT_ISLOW;
    jpeg_start_decompress(src);
    const JDIMENSION imcus = iMcuRows(src->output_height, src->max_v_samp_factor);
    for (int c = 0; c < src->num_components; ++c) {
        const jpeg_component_info& component = src->comp_info[c];
        objects.planes[c] = (*src->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(src), JPOOL_PERMANENT,
                                                      component.width_in_blocks * DCTSIZE,
                                                      imcus * static_cast<JDIMENSION>(component.v_samp_factor * DCTSIZE));
    }
    for (JDIMENSION imcu = 0; src->output_scanline < src->output_height; ++imcu) {
        JSAMPARRAY rows[MAX_COMPONENTS];
        for (int c = 0; c < src->num_components; ++c)
            rows[c] = objects.planes[c] + imcu * static_cast<JDIMENSION>(src->comp_info[c].v_samp_factor * DCTSIZE);
        (void)jpeg_read_raw_data(src, rows, static_cast<JDIMENSION>(src->max_v_samp_factor * DCTSIZE));
    }
    result->consumed = size - src->src->bytes_in_buffer;
}

// The destination coded as the source was, with the turn's geometry.
void prepareDestination(PixelObjects& objects, TransformKind kind, bool optimize, CoefficientPassResult* result) {
    j_decompress_ptr src = &objects.source;
    j_compress_ptr dst = &objects.destination;
    jpeg_copy_critical_parameters(src, dst);
    result->source.standardHuffmanTables = usesStandardHuffmanTables(src, dst);
    if (turnFacts(kind).transposes) swapOutputGeometry(dst);
    dst->raw_data_in = TRUE;
    dst->dct_method = JDCT_ISLOW;
    dst->write_JFIF_header = dst->write_Adobe_marker = FALSE;
    keepCoding(src, dst, result->source);
    // Pixels are coded by libjpeg's own writer: tables of the picture's own are its to optimize.
    dst->optimize_coding = !result->source.arithmetic && (optimize || !result->source.standardHuffmanTables) ? TRUE : FALSE;
    result->width = static_cast<int>(dst->image_width);
    result->height = static_cast<int>(dst->image_height);
}

// One iMCU row of each turned component, its padding the picture's edge samples repeated.
void fillTurnedRows(PixelObjects& objects, TransformKind kind, JDIMENSION imcu) {
    j_decompress_ptr src = &objects.source;
    j_compress_ptr dst = &objects.destination;
    for (int c = 0; c < dst->num_components; ++c) {
        const jpeg_component_info& from = src->comp_info[c];
        const jpeg_component_info& to = dst->comp_info[c];
        const std::size_t width = from.downsampled_width, height = from.downsampled_height;
        const bool swapped = turnFacts(kind).transposes;
        const std::size_t lastX = (swapped ? height : width) - 1, lastY = (swapped ? width : height) - 1;
        const JDIMENSION rows = static_cast<JDIMENSION>(to.v_samp_factor * DCTSIZE);
        for (JDIMENSION j = 0; j < rows; ++j) {
            const std::size_t y = std::min<std::size_t>(imcu * rows + j, lastY);
            JSAMPROW row = objects.rows[c][j];
            for (JDIMENSION x = 0; x < to.width_in_blocks * DCTSIZE; ++x) {
                const std::size_t at = sourcePixelOf(kind, std::min<std::size_t>(x, lastX), y, width, height);
                row[x] = objects.planes[c][at / width][at % width];
            }
        }
    }
}

// Any libjpeg error inside leaves by longjmp: no object with a destructor may live in these frames.
void turnPixels(PixelObjects& objects, const unsigned char* input, std::size_t size, TransformKind kind,
                const TurnSettings& settings, CoefficientPassResult* result) {
    j_decompress_ptr src = &objects.source;
    j_compress_ptr dst = &objects.destination;
    src->err = dst->err = installErrorTrap(&objects.trap, &objects.jump);
    jpeg_create_decompress(src);
    jpeg_create_compress(dst);
    attachPassMonitor(reinterpret_cast<j_common_ptr>(src), &objects.sourceMonitor, settings.run.cancel);
    attachPassMonitor(reinterpret_cast<j_common_ptr>(dst), &objects.destinationMonitor, settings.run.cancel);
    readPlanes(objects, input, size, result);
    prepareDestination(objects, kind, settings.optimize, result);
    attachVectorDestination(dst, &objects.output, &result->output, size + size / 8 + 4096);
    jpeg_start_compress(dst, TRUE);
    for (int c = 0; c < dst->num_components; ++c)
        objects.rows[c] = (*dst->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(dst), JPOOL_IMAGE,
                                                    dst->comp_info[c].width_in_blocks * DCTSIZE,
                                                    static_cast<JDIMENSION>(dst->comp_info[c].v_samp_factor * DCTSIZE));
    for (JDIMENSION imcu = 0; dst->next_scanline < dst->image_height; ++imcu) {
        fillTurnedRows(objects, kind, imcu);
        (void)jpeg_write_raw_data(dst, objects.rows, static_cast<JDIMENSION>(dst->max_v_samp_factor * DCTSIZE));
    }
    jpeg_finish_compress(dst);
    jpeg_destroy_compress(dst);
    jpeg_abort_decompress(src);
    jpeg_destroy_decompress(src);
}

bool trappedTurn(PixelObjects& objects, const unsigned char* input, std::size_t size, TransformKind kind,
                 const TurnSettings& settings, CoefficientPassResult* result) {
    if (setjmp(objects.jump) != 0) {
        jpeg_destroy_compress(&objects.destination);
        jpeg_destroy_decompress(&objects.source);
        return false;
    }
    turnPixels(objects, input, size, kind, settings, result);
    return true;
}

}  // namespace

CoefficientPassResult turnThroughPixels(const unsigned char* input, std::size_t size, TransformKind kind,
                                        std::size_t planeBytes, const TurnSettings& settings) {
    CoefficientPassResult result;
    const std::size_t held = planeBytes * kHeldPerPlaneByte;
    if (held > machineCoefficientLimit()) {
        result.failure = PassFailure::NotEnoughMemory;
        result.message = "its samples need more memory than this machine allows for one photo";
        return result;
    }
    if (settings.run.memory && !settings.run.memory->reserve(held)) {
        result.failure = PassFailure::Cancelled;
        return result;
    }
    PixelObjects objects{};  // zero-filled, as libjpeg expects of objects before creation
    const bool turned = trappedTurn(objects, input, size, kind, settings, &result);
    if (settings.run.memory) settings.run.memory->release(held);
    if (turned) {
        result.failure = PassFailure::None;
        result.exact = false;
        return result;
    }
    result.failure = objects.trap.failure;
    if (settings.run.cancelled()) result.failure = PassFailure::Cancelled;
    result.message = objects.trap.message;
    result.output.clear();
    return result;
}
