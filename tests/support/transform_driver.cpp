#include "tests/support/transform_driver.h"

#include <csetjmp>
#include <cstdlib>
#include <memory>

#include "tests/support/libjpeg_trap.h"

namespace testsupport {
namespace {

// Where libjpeg writes the output, kept in plain storage so that a longjmp leaves nothing to destroy.
struct Capture {
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

// The whole libjpeg pass. Holds no object with a destructor, since a libjpeg error longjmps out of it.
void runPass(jpeg_decompress_struct* src, jpeg_compress_struct* dst, const std::uint8_t* data, unsigned long length,
             TransformSetup* setup, Capture* capture) {
    jpeg_mem_src(src, data, length);
    jpeg_read_header(src, TRUE);
    reserveTransformArrays(src, setup);
    jvirt_barray_ptr* srcArrays = jpeg_read_coefficients(src);
    jpeg_copy_critical_parameters(src, dst);
    jvirt_barray_ptr* dstArrays = prepareTransformOutput(src, dst, srcArrays, setup);

    jpeg_mem_dest(dst, &capture->buffer, &capture->size);
    jpeg_write_coefficients(dst, dstArrays);
    runTransform(src, dst, srcArrays, setup);
    jpeg_finish_compress(dst);
    jpeg_finish_decompress(src);
}

}  // namespace

TransformReport transformWithReport(const Bytes& jpeg, TransformKind kind, bool trim, bool gray,
                                    CoefficientMemory* memory) {
    jpeg_decompress_struct src{};
    jpeg_compress_struct dst{};
    LibjpegTrap trap{};
    src.err = dst.err = installLibjpegTrap(trap);
    TransformSetup setup{kind, trim, gray, 0, nullptr, false, false};
    Capture capture;
    CoefficientMemory ownMemory;

    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&dst);
        jpeg_destroy_decompress(&src);
        std::free(capture.buffer);
        throw JpegError(trap.message, trap.code);
    }
    jpeg_create_decompress(&src);
    jpeg_create_compress(&dst);
    useCoefficientMemory(&src, &dst, memory ? memory : &ownMemory);
    runPass(&src, &dst, jpeg.data(), static_cast<unsigned long>(jpeg.size()), &setup, &capture);
    jpeg_destroy_compress(&dst);
    jpeg_destroy_decompress(&src);

    const std::unique_ptr<unsigned char, void (*)(void*)> buffer(capture.buffer, std::free);
    return {Bytes(buffer.get(), buffer.get() + capture.size), setup.exact};
}

Bytes transformInMemory(const Bytes& jpeg, TransformKind kind, bool trim, bool gray, CoefficientMemory* memory) {
    return transformWithReport(jpeg, kind, trim, gray, memory).output;
}

}  // namespace testsupport
