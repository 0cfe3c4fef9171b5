#include "workflow/coefficient_pass.h"

#include <csetjmp>

#include "transform/coefficient_memory.h"
#include "workflow/jpeg_error_trap.h"

namespace {

// Everything libjpeg touches lives here, in plain C data, outside the frame that calls setjmp:
// objects changed between setjmp and longjmp would otherwise be indeterminate after the jump.
struct LibjpegObjects {
    jpeg_decompress_struct source;
    jpeg_compress_struct destination;
    JpegErrorTrap sourceTrap;
    JpegErrorTrap destinationTrap;
    TransformSetup setup;
    CoefficientMemory memory;
    std::jmp_buf jump;
};

void createObjects(LibjpegObjects& objects) {
    objects.source.err = installErrorTrap(&objects.sourceTrap, &objects.jump);
    objects.destination.err = installErrorTrap(&objects.destinationTrap, &objects.jump);
    jpeg_create_decompress(&objects.source);
    jpeg_create_compress(&objects.destination);
    useCoefficientMemory(&objects.source, &objects.destination, &objects.memory);
    objects.source.err->trace_level = objects.destination.err->trace_level;
}

// Any libjpeg error inside leaves by longjmp: no object with a destructor may live in these frames.
void transcodeCoefficients(LibjpegObjects& objects, const CoefficientPassRequest& request) {
    j_decompress_ptr src = &objects.source;
    j_compress_ptr dst = &objects.destination;
    TransformSetup* setup = &objects.setup;
    setup->kind = request.kind;
    setup->trimPartialBlocks = request.trimPartialBlocks;
    setup->grayOnly = request.grayOnly;

    createObjects(objects);
    jpeg_stdio_src(src, request.input);
    setupMarkerCopy(src, request.copy);
    (void)jpeg_read_header(src, TRUE);
    reserveTransformArrays(src, setup);  // the workspace must be requested before the coefficients are read
    jvirt_barray_ptr* sourceArrays = jpeg_read_coefficients(src);
    jpeg_copy_critical_parameters(src, dst);
    jvirt_barray_ptr* writtenArrays = prepareTransformOutput(src, dst, sourceArrays, setup);
    jpeg_stdio_dest(dst, request.output);
    jpeg_write_coefficients(dst, writtenArrays);  // writes SOI and the destination's own JFIF or Adobe marker
    copySavedMarkers(src, dst, request.copy);     // the saved markers die with src: copy them first
    runTransform(src, dst, sourceArrays, setup);
    jpeg_finish_compress(dst);
    jpeg_destroy_compress(dst);
    (void)jpeg_finish_decompress(src);
    jpeg_destroy_decompress(src);
}

bool trappedPass(LibjpegObjects& objects, const CoefficientPassRequest& request) {
    if (setjmp(objects.jump) != 0) {
        // Destroying a never-created or already destroyed object does nothing.
        jpeg_destroy_compress(&objects.destination);
        jpeg_destroy_decompress(&objects.source);
        return false;
    }
    transcodeCoefficients(objects, request);
    return true;
}

}  // namespace

bool runCoefficientPass(const CoefficientPassRequest& request) {
    LibjpegObjects objects{};  // zero-filled, as libjpeg expects of objects before creation
    return trappedPass(objects, request);
}
