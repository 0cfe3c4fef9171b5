// The baseline of transform_bench: a coefficient copy as a program built on libjpeg alone makes
// it, with the library's own memory manager. Reads the coefficients, writes them to a new file
// and flushes that to disk, as Pivora does with its result.
// Usage: stock_copy INPUT OUTPUT    (exit status 0 on success; libjpeg's errors end the process)

#include <unistd.h>

#include <cstdio>

#include <jpeglib.h>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: stock_copy INPUT OUTPUT\n");
        return 2;
    }
    FILE* input = std::fopen(argv[1], "rb");
    FILE* output = std::fopen(argv[2], "wb");
    if (!input || !output) {
        std::fprintf(stderr, "stock_copy: can't open %s\n", input ? argv[2] : argv[1]);
        return 1;
    }
    jpeg_decompress_struct source{};
    jpeg_compress_struct destination{};
    jpeg_error_mgr sourceErrors, destinationErrors;
    source.err = jpeg_std_error(&sourceErrors);
    destination.err = jpeg_std_error(&destinationErrors);
    jpeg_create_decompress(&source);
    jpeg_create_compress(&destination);

    jpeg_stdio_src(&source, input);
    (void)jpeg_read_header(&source, TRUE);
    jvirt_barray_ptr* coefficients = jpeg_read_coefficients(&source);
    jpeg_copy_critical_parameters(&source, &destination);
    jpeg_stdio_dest(&destination, output);
    jpeg_write_coefficients(&destination, coefficients);
    jpeg_finish_compress(&destination);
    jpeg_destroy_compress(&destination);
    (void)jpeg_finish_decompress(&source);
    jpeg_destroy_decompress(&source);

    bool written = std::fflush(output) == 0 && ::fsync(::fileno(output)) == 0;
    written = std::fclose(output) == 0 && written;
    std::fclose(input);
    return written ? 0 : 1;
}
