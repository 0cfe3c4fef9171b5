#include "workflow/tile_picture.h"

#include <algorithm>
#include <optional>
#include <csetjmp>
#include <cstdlib>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "jpegfile/thumbnail.h"
#include "workflow/dc_picture.h"
#include "transform/turns.h"

namespace {

using Bytes = std::vector<unsigned char>;

// libjpeg's errors come back here by longjmp; its warnings (corrupt data, which it pads with grey)
// are not fatal: a damaged photo is shown as far as it can be.
struct TileTrap {
    jpeg_error_mgr manager;  // first member: libjpeg sees a plain jpeg_error_mgr
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool dataEnded;  // libjpeg met the end of the data (or a marker in it) and pads the rest
};

void noteWarning(j_common_ptr cinfo, int level) {
    const int code = cinfo->err->msg_code;
    if (level < 0 && (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER))
        reinterpret_cast<TileTrap*>(cinfo->err)->dataEnded = true;
}

[[noreturn]] void trapError(j_common_ptr cinfo) {
    auto* trap = reinterpret_cast<TileTrap*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, trap->message);
    std::longjmp(trap->jump, 1);
}

// The size `box` gives a picture of `width` x `height`: as large as fits, never larger than itself.
TileBox fittedSize(int width, int height, TileBox box) {
    const double scale = std::min({1.0, static_cast<double>(box.width) / width, static_cast<double>(box.height) / height});
    return {std::max(1, static_cast<int>(width * scale + 0.5)), std::max(1, static_cast<int>(height * scale + 0.5))};
}

// The averaging of decoded rows into the smaller picture, one row at a time, so that only the
// reduced picture is ever held whole. Made before libjpeg runs; libjpeg's frames own nothing.
struct Reduction {
    TileBox from, to;
    std::vector<int> columnOf;            // the reduced column of each decoded column
    std::vector<std::uint32_t> sums;      // of the reduced row being filled
    std::vector<std::uint32_t> counts;    // decoded pixels in each of its columns
    std::vector<JSAMPLE> row;             // one decoded row, 3 or 4 samples a pixel
    TilePixels out;
    int filling = 0;                      // the reduced row being filled
    int rowsIn = 0;                       // decoded rows added to it
};

void startReduction(Reduction& r, TileBox from, TileBox to, int samples) {
    r.from = from;
    r.to = to;
    r.columnOf.resize(static_cast<std::size_t>(from.width));
    for (int x = 0; x < from.width; ++x) r.columnOf[static_cast<std::size_t>(x)] = static_cast<int>(static_cast<long long>(x) * to.width / from.width);
    r.sums.assign(static_cast<std::size_t>(to.width) * 3, 0);
    r.counts.assign(static_cast<std::size_t>(to.width), 0);
    r.row.resize(static_cast<std::size_t>(from.width) * static_cast<std::size_t>(samples));
    r.out.width = to.width;
    r.out.height = to.height;
    // Grey until a row is filled: rows the data does not reach stay so, as libjpeg pads them.
    r.out.rgb.assign(static_cast<std::size_t>(to.width) * static_cast<std::size_t>(to.height) * 3, 128);
}

void flushRow(Reduction& r) {
    if (r.rowsIn == 0 || r.filling >= r.to.height) return;
    std::uint8_t* out = r.out.rgb.data() + static_cast<std::size_t>(r.filling) * static_cast<std::size_t>(r.to.width) * 3;
    for (std::size_t x = 0; x < static_cast<std::size_t>(r.to.width); ++x) {
        const std::uint32_t n = std::max<std::uint32_t>(1, r.counts[x]);
        for (std::size_t c = 0; c < 3; ++c) out[x * 3 + c] = static_cast<std::uint8_t>((r.sums[x * 3 + c] + n / 2) / n);
    }
    std::fill(r.sums.begin(), r.sums.end(), 0);
    std::fill(r.counts.begin(), r.counts.end(), 0);
    r.rowsIn = 0;
}

// Adds decoded row `y` (RGB, or CMYK as Adobe writes it: inverted) to its reduced row.
void addRow(Reduction& r, int y, const JSAMPLE* in, bool cmyk) {
    const int target = static_cast<int>(static_cast<long long>(y) * r.to.height / r.from.height);
    if (target != r.filling) {
        flushRow(r);
        r.filling = target;
    }
    for (int x = 0; x < r.from.width; ++x) {
        const std::size_t to = static_cast<std::size_t>(r.columnOf[static_cast<std::size_t>(x)]);
        if (cmyk) {
            const unsigned k = in[3];
            for (std::size_t c = 0; c < 3; ++c) r.sums[to * 3 + c] += in[c] * k / 255;
            in += 4;
        } else {
            for (std::size_t c = 0; c < 3; ++c) r.sums[to * 3 + c] += in[c];
            in += 3;
        }
        ++r.counts[to];
    }
    ++r.rowsIn;
}

// The smallest of libjpeg's scales M/8 whose output is at least `wanted` in both directions.
unsigned scaleFor(int width, int height, TileBox wanted) {
    for (unsigned m = 1; m < 8; ++m)
        if ((static_cast<long long>(width) * m + 7) / 8 >= wanted.width && (static_cast<long long>(height) * m + 7) / 8 >= wanted.height)
            return m;
    return 8;
}

// Runs libjpeg over `jpeg` into `r`. Returns false with trap->message set when libjpeg failed.
// Nothing in this frame has a destructor: a failure leaves it by longjmp.
bool decodeInto(jpeg_decompress_struct* cinfo, TileTrap* trap, const Bytes& jpeg, TileBox box, Reduction* r) {
    if (setjmp(trap->jump)) return false;
    jpeg_create_decompress(cinfo);
    cinfo->mem->max_memory_to_use = kTileDecodeMemory;
    jpeg_mem_src(cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(cinfo, TRUE);
    const bool cmyk = cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK;
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    const TileBox target = fittedSize(static_cast<int>(cinfo->image_width), static_cast<int>(cinfo->image_height), box);
    cinfo->scale_num = scaleFor(static_cast<int>(cinfo->image_width), static_cast<int>(cinfo->image_height), target);
    cinfo->scale_denom = 8;
    cinfo->dct_method = JDCT_IFAST;
    cinfo->do_fancy_upsampling = FALSE;
    cinfo->do_block_smoothing = FALSE;
    jpeg_start_decompress(cinfo);
    const TileBox decoded{static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height)};
    startReduction(*r, decoded, {std::min(target.width, decoded.width), std::min(target.height, decoded.height)},
                   cinfo->output_components);
    bool singleScanOver = false;
    while (cinfo->output_scanline < cinfo->output_height) {
        const int y = static_cast<int>(cinfo->output_scanline);
        JSAMPROW rows[1] = {r->row.data()};
        if (jpeg_read_scanlines(cinfo, rows, 1) != 1) break;
        addRow(*r, y, r->row.data(), cmyk);
        // In a single scan, the rest stays grey: a header's size costs no more than its data. (A
        // picture of several scans is held whole, within the memory bound, and shown as far as
        // its scans reach.)
        if (trap->dataEnded && !singleScanOver) singleScanOver = !jpeg_has_multiple_scans(cinfo);
        if (singleScanOver) break;
    }
    flushRow(*r);
    jpeg_abort_decompress(cinfo);  // the rest (a further scan, the EOI) is not needed
    return true;
}

// `jpeg` decoded and reduced to fit `box` (as stored: no orientation).
Result<TilePixels> decoded(const Bytes& jpeg, TileBox box) {
    jpeg_decompress_struct cinfo{};
    TileTrap trap{};
    cinfo.err = jpeg_std_error(&trap.manager);
    trap.manager.error_exit = trapError;
    trap.manager.output_message = [](j_common_ptr) {};
    trap.manager.emit_message = noteWarning;
    Reduction reduction;
    const bool ok = decodeInto(&cinfo, &trap, jpeg, box, &reduction);
    jpeg_destroy_decompress(&cinfo);
    if (!ok) {
        const int code = trap.manager.msg_code;
        const bool memory = code == JERR_OUT_OF_MEMORY || code == JERR_NO_BACKING_STORE;
        return refuse(memory ? RefusalReason::NotEnoughMemory : RefusalReason::DamagedData, trap.message);
    }
    if (reduction.out.empty()) return refuse(RefusalReason::DamagedData, "no picture data");
    return std::move(reduction.out);
}

// Whether a thumbnail of `thumbnail` shows the whole picture of `frame`: its proportions to
// within one of its pixels.
bool sameProportions(TileBox thumbnail, const FrameFacts& frame) {
    const long long across = static_cast<long long>(thumbnail.width) * frame.height;
    const long long down = static_cast<long long>(thumbnail.height) * frame.width;
    return std::llabs(across - down) <= std::max(frame.width, frame.height);
}

TileBox storedBox(TileBox shown, int orientation) {
    return turnFacts(turnForOrientation(orientation)).transposes ? TileBox{shown.height, shown.width} : shown;
}

// The thumbnail's picture when it shows the whole picture with pixels enough for `box`.
std::optional<TilePixels> fromThumbnail(const PhotoRecord& header, TileBox box) {
    if (header.frame.width <= 0 || header.frame.height <= 0) return std::nullopt;
    const Bytes thumbnail = thumbnailBytes(header);
    if (thumbnail.empty()) return std::nullopt;
    const Result<PhotoRecord> own = readPhotoRecord(thumbnail.data(), thumbnail.size(), "");
    if (!own.ok()) return std::nullopt;
    const TileBox size{own.value().frame.width, own.value().frame.height};
    const TileBox wanted = fittedSize(header.frame.width, header.frame.height, box);
    if (!sameProportions(size, header.frame) || size.width + 1 < wanted.width || size.height + 1 < wanted.height)
        return std::nullopt;
    Result<TilePixels> pixels = decoded(thumbnail, box);
    if (!pixels.ok()) return std::nullopt;  // the picture itself may still be shown
    return std::move(pixels.value());
}

// The picture from its DC coefficients alone, when an eighth of its size is enough for `box`
// and it is of a kind whose coded data that scan reads.
std::optional<TilePixels> fromDcCoefficients(const Bytes& jpeg, const PhotoRecord& header, TileBox box) {
    const FrameFacts& frame = header.frame;
    if (frame.width <= 0 || frame.height <= 0) return std::nullopt;
    const TileBox target = fittedSize(frame.width, frame.height, box);
    if (scaleFor(frame.width, frame.height, target) != 1) return std::nullopt;
    const TileBox eighth{(frame.width + 7) / 8, (frame.height + 7) / 8};
    Reduction reduction;
    startReduction(reduction, eighth, {std::min(target.width, eighth.width), std::min(target.height, eighth.height)}, 3);
    int y = 0;
    const EighthScan scanned = scanEighth(jpeg, header, [&](const std::uint8_t* rgb, int) { addRow(reduction, y++, rgb, false); });
    if (scanned != EighthScan::Done) return std::nullopt;
    flushRow(reduction);
    return std::move(reduction.out);
}

TilePixels shownUpright(TilePixels stored, int orientation, bool fromThumbnail) {
    TilePixels shown = turnedPixels(stored, turnForOrientation(orientation));
    shown.fromThumbnail = fromThumbnail;
    return shown;
}

}  // namespace

Result<TilePixels> tilePicture(const PhotoRecord& header, const WholeFile& wholeFile, TileBox box) {
    if (box.width <= 0 || box.height <= 0) return refuse(RefusalReason::Unsupported, "no room for a picture");
    const int orientation = header.info.orientation;
    const TileBox stored = storedBox(box, orientation);
    if (std::optional<TilePixels> thumbnail = fromThumbnail(header, stored))
        return shownUpright(std::move(*thumbnail), orientation, true);
    const Result<Bytes> bytes = wholeFile();
    if (!bytes.ok()) return bytes.refusal();
    if (std::optional<TilePixels> eighth = fromDcCoefficients(bytes.value(), header, stored))
        return shownUpright(std::move(*eighth), orientation, false);
    Result<TilePixels> picture = decoded(bytes.value(), stored);
    if (!picture.ok()) return picture;
    return shownUpright(std::move(picture.value()), orientation, false);
}

Result<TilePixels> tilePicture(const Bytes& jpeg, TileBox box) {
    const Result<PhotoRecord> header = readPhotoRecord(jpeg.data(), jpeg.size(), "");
    if (!header.ok()) return header.refusal();
    return tilePicture(header.value(), [&jpeg]() -> Result<Bytes> { return jpeg; }, box);
}

TilePixels turnedPixels(const TilePixels& pixels, TransformKind kind) {
    if (kind == TransformKind::None) return pixels;
    const bool transposes = turnFacts(kind).transposes;
    TilePixels turned;
    turned.width = transposes ? pixels.height : pixels.width;
    turned.height = transposes ? pixels.width : pixels.height;
    turned.fromThumbnail = pixels.fromThumbnail;
    turned.rgb.resize(pixels.rgb.size());
    const auto width = static_cast<std::size_t>(pixels.width), height = static_cast<std::size_t>(pixels.height);
    std::uint8_t* out = turned.rgb.data();
    for (std::size_t y = 0; y < static_cast<std::size_t>(turned.height); ++y) {
        for (std::size_t x = 0; x < static_cast<std::size_t>(turned.width); ++x, out += 3) {
            const std::uint8_t* in = pixels.rgb.data() + sourcePixelOf(kind, x, y, width, height) * 3;
            std::copy(in, in + 3, out);
        }
    }
    return turned;
}
