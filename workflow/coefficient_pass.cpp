#include "workflow/coefficient_pass.h"

#include <csetjmp>

#include "transform/coefficient_memory.h"
#include "workflow/huffman_tables.h"
#include "workflow/jpeg_coding.h"
#include "workflow/jpeg_error_trap.h"
#include "workflow/pass_monitor.h"
#include "workflow/source_checks.h"
#include "workflow/vector_destination.h"

namespace {

// Everything libjpeg touches lives here, in plain C data, outside the frame that calls setjmp:
// objects changed between setjmp and longjmp would otherwise be indeterminate after the jump.
struct LibjpegObjects {
    jpeg_decompress_struct source;
    jpeg_compress_struct destination;
    JpegErrorTrap trap;  // shared: the objects are used one after the other on one thread
    PassMonitor sourceMonitor;
    PassMonitor destinationMonitor;
    VectorDestination output;
    TransformSetup setup;
    CoefficientMemory memory;
    std::jmp_buf jump;
};

void createObjects(LibjpegObjects& objects, CoefficientMemory* memory, const std::atomic<int>* cancel) {
    objects.source.err = objects.destination.err = installErrorTrap(&objects.trap, &objects.jump);
    jpeg_create_decompress(&objects.source);
    jpeg_create_compress(&objects.destination);
    // The caller's memory (a run's budget, its own limit), else the pass's own with the machine's limit.
    useCoefficientMemory(&objects.source, &objects.destination, memory ? memory : &objects.memory);
    attachPassMonitor(reinterpret_cast<j_common_ptr>(&objects.source), &objects.sourceMonitor, cancel);
    attachPassMonitor(reinterpret_cast<j_common_ptr>(&objects.destination), &objects.destinationMonitor, cancel);
}

// The picture's own bytes, and a little more, is what its turned stream usually needs.
std::size_t expectedOutputSize(std::size_t consumed) { return consumed + consumed / 16 + 65536; }

// Reads the source up to its EOI and checks that what libjpeg accepted is a whole, plausible
// picture. Returns the source's coefficient arrays.
jvirt_barray_ptr* readSource(LibjpegObjects& objects, const CoefficientPassRequest& request,
                             CoefficientPassResult* result) {
    j_decompress_ptr src = &objects.source;
    jpeg_mem_src(src, request.input, static_cast<unsigned long>(request.inputSize));
    setupMarkerCopy(src, request.copy);
    (void)jpeg_read_header(src, TRUE);
    result->source = codingOf(src);
    refuseImplausibleHeader(src, request.inputSize, objects.trap.sawArithmeticConditioning);
    reserveTransformArrays(src, &objects.setup);  // the workspace must be requested before the coefficients are read
    jvirt_barray_ptr* sourceArrays = jpeg_read_coefficients(src);
    refuseIncompleteData(src, objects.sourceMonitor.componentsInScans);
    if (result->source.arithmetic)
        refuseOutOfRangeCoefficients(src, sourceArrays);
    else
        refuseOutOfRangeDc(src, sourceArrays);
    result->consumed = request.inputSize - src->src->bytes_in_buffer;
    return sourceArrays;
}

// Sets up the destination: the transform's geometry, the source's coding, its own headers.
jvirt_barray_ptr* prepareDestination(LibjpegObjects& objects, const CoefficientPassRequest& request,
                                     jvirt_barray_ptr* sourceArrays, CoefficientPassResult* result) {
    j_decompress_ptr src = &objects.source;
    j_compress_ptr dst = &objects.destination;
    jpeg_copy_critical_parameters(src, dst);
    result->source.standardHuffmanTables = usesStandardHuffmanTables(src, dst);
    jvirt_barray_ptr* writtenArrays = prepareTransformOutput(src, dst, sourceArrays, &objects.setup);
    keepCoding(src, dst, result->source);
    if (!request.writeOwnHeaders) dst->write_JFIF_header = dst->write_Adobe_marker = FALSE;
    result->width = static_cast<int>(dst->image_width);
    result->height = static_cast<int>(dst->image_height);
    result->trimmed = objects.setup.trimmed;
    result->exact = objects.setup.exact;
    return writtenArrays;
}

// Any libjpeg error inside leaves by longjmp: no object with a destructor may live in these frames.
void transcodeCoefficients(LibjpegObjects& objects, const CoefficientPassRequest& request,
                           CoefficientPassResult* result) {
    j_decompress_ptr src = &objects.source;
    j_compress_ptr dst = &objects.destination;
    objects.setup.kind = request.kind;
    objects.setup.trimPartialBlocks = request.trimPartialBlocks;
    objects.setup.grayOnly = request.grayOnly;

    createObjects(objects, request.memory, request.cancel);
    jvirt_barray_ptr* sourceArrays = readSource(objects, request, result);
    jvirt_barray_ptr* writtenArrays = prepareDestination(objects, request, sourceArrays, result);
    attachVectorDestination(dst, &objects.output, &result->output, expectedOutputSize(result->consumed));
    jpeg_write_coefficients(dst, writtenArrays);  // writes SOI and the destination's own JFIF or Adobe marker
    copySavedMarkers(src, dst, request.copy);     // the saved markers die with src: copy them first
    runTransform(src, dst, sourceArrays, &objects.setup);
    result->tables = chooseHuffmanTables(src, dst, writtenArrays, result->source.standardHuffmanTables, request.optimize);
    jpeg_finish_compress(dst);
    jpeg_destroy_compress(dst);
    (void)jpeg_finish_decompress(src);
    jpeg_destroy_decompress(src);
}

bool trappedPass(LibjpegObjects& objects, const CoefficientPassRequest& request, CoefficientPassResult* result) {
    if (setjmp(objects.jump) != 0) {
        // Destroying a never-created or already destroyed object does nothing.
        jpeg_destroy_compress(&objects.destination);
        jpeg_destroy_decompress(&objects.source);
        return false;
    }
    transcodeCoefficients(objects, request, result);
    return true;
}

}  // namespace

CoefficientPassResult runCoefficientPass(const CoefficientPassRequest& request) {
    CoefficientPassResult result;
    LibjpegObjects objects{};  // zero-filled, as libjpeg expects of objects before creation
    if (trappedPass(objects, request, &result)) {
        result.failure = PassFailure::None;
        return result;
    }
    result.failure = objects.trap.failure;
    // A pass that stopped while the run was being cancelled (waiting for memory, say) was cancelled.
    if (request.cancel && request.cancel->load() != 0) result.failure = PassFailure::Cancelled;
    result.message = objects.trap.message;
    result.output.clear();
    result.output.shrink_to_fit();
    return result;
}
