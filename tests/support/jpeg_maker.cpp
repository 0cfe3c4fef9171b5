#include "tests/support/jpeg_maker.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include <jpeglib.h>

#include "tests/support/libjpeg_trap.h"

namespace testsupport {
namespace {

std::uint32_t nextRandom(std::uint32_t& state) {
    state = state * 1664525u + 1013904223u;
    return state >> 8;
}

// A gradient with noise: smooth enough to look like a picture, noisy enough that
// every coefficient position carries distinct values.
std::vector<JSAMPLE> makeRow(const JpegSpec& recipe, int y, int components, std::uint32_t& state) {
    std::vector<JSAMPLE> row(static_cast<size_t>(recipe.width) * components);
    for (int x = 0; x < recipe.width; ++x) {
        for (int c = 0; c < components; ++c) {
            int base = (x * 255 / (recipe.width > 1 ? recipe.width - 1 : 1) + y * 3 + c * 70) % 256;
            const int spread = std::max(1, recipe.noise);
            int noise = static_cast<int>(nextRandom(state) % static_cast<std::uint32_t>(spread)) - spread / 2;
            int value = base + noise;
            const JpegSpec::Square& square = recipe.brightSquare;
            if (square.size > 0) {
                const bool inside = x >= square.x && x < square.x + square.size && y >= square.y && y < square.y + square.size;
                value = inside ? 255 : std::clamp(value, 0, 255) / 3;
            }
            row[static_cast<size_t>(x) * components + c] = static_cast<JSAMPLE>(value < 0 ? 0 : value > 255 ? 255 : value);
        }
    }
    return row;
}

// `read` on a decompressor that has read the header of `jpeg`, which is then finished; a libjpeg
// error becomes a runtime_error named after `what` once control is back in this frame.
template <typename Read>
auto decompressed(const Bytes& jpeg, const char* what, Read read) {
    jpeg_decompress_struct cinfo{};
    LibjpegTrap trap;
    cinfo.err = installLibjpegTrap(trap);
    if (setjmp(trap.jump)) {
        jpeg_destroy_decompress(&cinfo);
        throw std::runtime_error(std::string(what) + ": " + trap.message);
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&cinfo, TRUE);
    auto result = read(cinfo);
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    return result;
}

const jpeg_scan_info kScanPerComponent[] = {
    {1, {0}, 0, 63, 0, 0}, {1, {1}, 0, 63, 0, 0}, {1, {2}, 0, 63, 0, 0}, {1, {3}, 0, 63, 0, 0}};

void configure(jpeg_compress_struct& cinfo, const JpegSpec& recipe) {
    cinfo.image_width = static_cast<JDIMENSION>(recipe.width);
    cinfo.image_height = static_cast<JDIMENSION>(recipe.height);
    switch (recipe.color) {
    case ColorKind::Gray: cinfo.input_components = 1; cinfo.in_color_space = JCS_GRAYSCALE; break;
    case ColorKind::YCbCr: cinfo.input_components = 3; cinfo.in_color_space = JCS_RGB; break;
    case ColorKind::Cmyk: cinfo.input_components = 4; cinfo.in_color_space = JCS_CMYK; break;
    }
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, recipe.quality, TRUE);
    for (int c = 0; c < cinfo.num_components; ++c) {
        cinfo.comp_info[c].h_samp_factor = c == 0 ? recipe.lumaH : 1;
        cinfo.comp_info[c].v_samp_factor = c == 0 ? recipe.lumaV : 1;
    }
    if (recipe.progressive) jpeg_simple_progression(&cinfo);
    if (recipe.scanPerComponent) {
        cinfo.scan_info = kScanPerComponent;
        cinfo.num_scans = cinfo.num_components;
    }
    cinfo.arith_code = recipe.arithmetic ? TRUE : FALSE;
    cinfo.optimize_coding = recipe.optimizedTables ? TRUE : FALSE;
    cinfo.restart_interval = static_cast<unsigned>(recipe.restartInterval);
    if (recipe.color != ColorKind::Cmyk) cinfo.write_JFIF_header = recipe.writeJfif ? TRUE : FALSE;
}

}  // namespace

Bytes makeJpeg(const JpegSpec& recipe) {
    jpeg_compress_struct cinfo{};
    LibjpegTrap trap;
    cinfo.err = installLibjpegTrap(trap);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    if (setjmp(trap.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        throw std::runtime_error(std::string("makeJpeg: ") + trap.message);
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    configure(cinfo, recipe);
    jpeg_start_compress(&cinfo, TRUE);
    for (const ExtraMarker& marker : recipe.markers)
        jpeg_write_marker(&cinfo, marker.code, marker.data.data(), static_cast<unsigned>(marker.data.size()));
    std::uint32_t state = recipe.seed * 2654435761u + 1;
    for (int y = 0; y < recipe.height; ++y) {
        std::vector<JSAMPLE> row = makeRow(recipe, y, cinfo.input_components, state);
        if (recipe.drawRow) recipe.drawRow(y, row.data());
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    Bytes result(buffer, buffer + size);
    std::free(buffer);
    return result;
}

Bytes withCoefficients(const Bytes& jpeg, const BlockChange& change, bool optimizedTables) {
    return decompressed(jpeg, "withCoefficients", [&](jpeg_decompress_struct& src) {
        jvirt_barray_ptr* arrays = jpeg_read_coefficients(&src);
        for (int c = 0; c < src.num_components && change; ++c)
            for (JDIMENSION y = 0; y < src.comp_info[c].height_in_blocks; ++y) {
                JBLOCKROW row = (*src.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&src), arrays[c], y, 1, TRUE)[0];
                for (JDIMENSION x = 0; x < src.comp_info[c].width_in_blocks; ++x) change(c, int(x), int(y), row[x]);
            }
        // Written with the source's error manager: only a failing test leaves the writer undestroyed.
        jpeg_compress_struct dst{};
        dst.err = src.err;
        unsigned char* buffer = nullptr;
        unsigned long size = 0;
        jpeg_create_compress(&dst);
        jpeg_copy_critical_parameters(&src, &dst);
        dst.arith_code = src.arith_code;
        dst.restart_interval = src.restart_interval;
        dst.optimize_coding = optimizedTables ? TRUE : FALSE;
        jpeg_mem_dest(&dst, &buffer, &size);
        jpeg_write_coefficients(&dst, arrays);
        jpeg_finish_compress(&dst);
        jpeg_destroy_compress(&dst);
        Bytes result(buffer, buffer + size);
        std::free(buffer);
        return result;
    });
}

JpegCoefficients readCoefficients(const Bytes& jpeg) {
    return decompressed(jpeg, "readCoefficients", [](jpeg_decompress_struct& cinfo) {
        jvirt_barray_ptr* arrays = jpeg_read_coefficients(&cinfo);
        JpegCoefficients result{int(cinfo.image_width), int(cinfo.image_height), cinfo.max_h_samp_factor,
                                cinfo.max_v_samp_factor, {}, {}};
        for (int c = 0; c < cinfo.num_components; ++c) {
            jpeg_component_info& info = cinfo.comp_info[c];
            ComponentCoefficients comp{int(info.width_in_blocks), int(info.height_in_blocks), info.h_samp_factor,
                                       info.v_samp_factor, info.quant_tbl_no, {}};
            for (JDIMENSION y = 0; y < info.height_in_blocks; ++y) {
                JBLOCKROW row =
                    (*cinfo.mem->access_virt_barray)(reinterpret_cast<j_common_ptr>(&cinfo), arrays[c], y, 1, FALSE)[0];
                for (JDIMENSION x = 0; x < info.width_in_blocks; ++x) {
                    std::array<std::int16_t, 64>& block = comp.blocks.emplace_back();
                    std::copy(row[x], row[x] + 64, block.begin());
                }
            }
            result.components.push_back(std::move(comp));
        }
        for (JQUANT_TBL* table : cinfo.quant_tbl_ptrs)  // slot order, empty slots left out
            if (table) std::copy(table->quantval, table->quantval + 64, result.quantTables.emplace_back().begin());
        return result;
    });
}

std::vector<Plane> decodePlanes(const Bytes& jpeg) {
    return decompressed(jpeg, "decodePlanes", [](jpeg_decompress_struct& cinfo) {
        cinfo.raw_data_out = TRUE;
        jpeg_start_decompress(&cinfo);
        // libjpeg hands out whole iMCU rows, padded to whole blocks; the planes keep the real sizes.
        const int rowsPerCall = cinfo.max_v_samp_factor * DCTSIZE;
        std::vector<Plane> planes(static_cast<size_t>(cinfo.num_components));
        std::vector<std::vector<JSAMPLE>> buffers(planes.size());
        std::vector<std::vector<JSAMPROW>> rows(planes.size());
        std::vector<JSAMPARRAY> components(planes.size());
        for (size_t c = 0; c < planes.size(); ++c) {
            const jpeg_component_info& info = cinfo.comp_info[c];
            planes[c] = {int(info.downsampled_width), int(info.downsampled_height), {}};
            planes[c].samples.resize(static_cast<size_t>(planes[c].width) * planes[c].height);
            size_t stride = info.width_in_blocks * DCTSIZE;
            buffers[c].resize(stride * info.v_samp_factor * DCTSIZE);
            for (int r = 0; r < info.v_samp_factor * DCTSIZE; ++r) rows[c].push_back(buffers[c].data() + stride * r);
            components[c] = rows[c].data();
        }
        for (int top = 0; cinfo.output_scanline < cinfo.output_height; top += rowsPerCall) {
            jpeg_read_raw_data(&cinfo, components.data(), static_cast<JDIMENSION>(rowsPerCall));
            for (size_t c = 0; c < planes.size(); ++c) {
                int first = top / cinfo.max_v_samp_factor * cinfo.comp_info[c].v_samp_factor;
                for (size_t r = 0; r < rows[c].size() && first + int(r) < planes[c].height; ++r)
                    std::copy(rows[c][r], rows[c][r] + planes[c].width, &planes[c].samples[(first + r) * planes[c].width]);
            }
        }
        return planes;
    });
}

std::vector<ExtraMarker> listMarkers(const Bytes& jpeg) {
    std::vector<ExtraMarker> markers;
    size_t pos = 2;  // behind SOI
    for (;;) {
        while (pos + 1 < jpeg.size() && jpeg[pos] == 0xFF && jpeg[pos + 1] == 0xFF) ++pos;  // fill bytes
        if (pos + 4 > jpeg.size() || jpeg[pos] != 0xFF) break;
        int code = jpeg[pos + 1];
        size_t length = (static_cast<size_t>(jpeg[pos + 2]) << 8) | jpeg[pos + 3];
        if (length < 2 || pos + 2 + length > jpeg.size()) break;
        markers.push_back({code, Bytes(jpeg.begin() + pos + 4, jpeg.begin() + pos + 2 + length)});
        if (code == 0xDA) break;
        pos += 2 + length;
    }
    return markers;
}

std::vector<size_t> markerPositions(const Bytes& jpeg, int code) {
    std::vector<size_t> found;
    size_t pos = 2;  // behind SOI
    while (pos + 1 < jpeg.size()) {
        int here = jpeg[pos + 1];
        if (jpeg[pos] != 0xFF || here == 0x00 || here == 0xFF) {  // coded data, a stuffed or a fill byte
            ++pos;
            continue;
        }
        if (here == code) found.push_back(pos);
        bool standalone = (here >= 0xD0 && here <= 0xD9) || here == 0x01;
        pos += standalone || pos + 3 >= jpeg.size() ? 2 : 2 + (static_cast<size_t>(jpeg[pos + 2]) << 8 | jpeg[pos + 3]);
    }
    return found;
}

Bytes patched(Bytes jpeg, size_t at, const Bytes& bytes) {
    std::copy(bytes.begin(), bytes.end(), jpeg.begin() + static_cast<long>(at));
    return jpeg;
}

}  // namespace testsupport
