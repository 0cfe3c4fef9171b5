#include "workflow/dc_picture.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "jpegfile/markers.h"

namespace {

constexpr int kLookBits = 11;
constexpr int kSof0 = 0xC0, kSof1 = 0xC1;

// One Huffman table: the codes of up to kLookBits bits by lookup, the longer ones canonically.
struct HuffmanTable {
    bool defined = false;
    std::array<std::uint16_t, 1 << kLookBits> look{};  // (length << 8) | symbol; length 0: longer
    std::array<std::int32_t, 18> maxCode{};            // by length; -1: no code of that length
    std::array<std::int32_t, 17> offset{};             // symbol index of a length's first code, minus that code
    std::vector<std::uint8_t> symbols;
};

bool defineTable(HuffmanTable& table, const std::uint8_t* counts, const std::uint8_t* symbols, std::size_t available) {
    std::size_t total = 0;
    for (int i = 0; i < 16; ++i) total += counts[i];
    if (total > 256 || total > available) return false;
    table = HuffmanTable{};
    table.defined = true;
    table.symbols.assign(symbols, symbols + total);
    std::int32_t code = 0;
    std::size_t index = 0;
    for (int length = 1; length <= 16; ++length) {
        const int count = counts[length - 1];
        table.offset[length] = static_cast<std::int32_t>(index) - code;
        for (int i = 0; i < count; ++i, ++code, ++index) {
            if (code >= (1 << length)) return false;  // more codes than the length has room for
            if (length <= kLookBits) {
                const int spread = 1 << (kLookBits - length);
                for (int fill = 0; fill < spread; ++fill)
                    table.look[static_cast<std::size_t>((code << (kLookBits - length)) | fill)] =
                        static_cast<std::uint16_t>((length << 8) | table.symbols[index]);
            }
        }
        table.maxCode[length] = count ? code - 1 : -1;
        if (code >= (1 << length)) return false;  // more codes than the length has room for (as libjpeg says)
        code <<= 1;
    }
    table.maxCode[17] = 0x7FFFFFFF;  // ends the canonical search
    return true;
}

// Eight bytes as one number, the first the highest.
std::uint64_t bigEndian64(const std::uint8_t* at) {
    std::uint64_t word;
    std::memcpy(&word, at, sizeof word);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    return word;
}

// The coded data's bits, with byte stuffing undone. At a marker, or past the data's end, zeros
// are put in; reading into them means the data is missing.
class BitReader {
public:
    BitReader(const std::uint8_t* at, const std::uint8_t* end) : at_(at), end_(end) {}

    std::uint32_t peek(int count) {
        if (have_ < count) fill();
        return static_cast<std::uint32_t>(bits_ >> (64 - count));
    }
    void skip(int count) {
        if (have_ < count) fill();
        bits_ <<= count;
        have_ -= count;
        if (have_ < padding_) missing_ = true;
    }
    std::int32_t take(int count) {
        if (count == 0) return 0;
        const std::uint32_t value = peek(count);
        skip(count);
        return static_cast<std::int32_t>(value);
    }
    bool missing() const { return missing_; }
    // Skips the AC coefficients of one block (kLookBits-bit codes by lookup, their value's bits
    // with them), with the bits held in registers; false for a code the table does not hold.
    bool skipCoefficients(const HuffmanTable& table);

    // Past the restart marker that ends an interval: true when one was there.
    bool restart() {
        bits_ = 0;
        have_ = padding_ = 0;
        if (marker_ == 0) findMarker();
        const bool found = isRestartMarker(marker_);
        marker_ = 0;
        if (!found) missing_ = true;
        return found;
    }

private:
    void fill() {
        // Whole bytes at once when none of the next eight is 0xFF (a stuffed byte or a marker).
        if (marker_ == 0 && end_ - at_ >= 8) {
            const std::uint64_t word = bigEndian64(at_);
            const std::uint64_t inverted = ~word;
            const bool anyFF = ((inverted - 0x0101010101010101ULL) & ~inverted & 0x8080808080808080ULL) != 0;
            if (!anyFF) {
                const int bytes = (64 - have_) / 8;
                bits_ |= (word >> (64 - 8 * bytes)) << (64 - have_ - 8 * bytes);
                at_ += bytes;
                have_ += 8 * bytes;
                return;
            }
        }
        while (have_ <= 56) {
            std::uint64_t byte = 0;
            if (marker_ == 0 && at_ < end_) {
                byte = *at_++;
                if (byte == 0xFF) byte = stuffedOrMarker();
            } else {
                padding_ += 8;
            }
            bits_ |= byte << (56 - have_);
            have_ += 8;
        }
    }
    // After 0xFF: the byte itself (0xFF 0x00), or a marker, which stops the data.
    std::uint64_t stuffedOrMarker() {
        while (at_ < end_ && *at_ == 0xFF) ++at_;  // fill bytes
        if (at_ < end_ && *at_ == 0) {
            ++at_;
            return 0xFF;
        }
        marker_ = at_ < end_ ? *at_++ : kEoi;
        padding_ += 8;
        return 0;
    }
    void findMarker() {
        while (at_ + 1 < end_ && !(at_[0] == 0xFF && at_[1] != 0 && at_[1] != 0xFF)) ++at_;
        marker_ = at_ + 1 < end_ ? at_[1] : kEoi;
        at_ = std::min(end_, at_ + 2);
    }

    const std::uint8_t* at_;
    const std::uint8_t* end_;
    std::uint64_t bits_ = 0;
    int have_ = 0;
    int padding_ = 0;  // of the bits held, the zeros put in at the end
    int marker_ = 0;
    bool missing_ = false;
};

// The next symbol of `table`; -1 for a code the table does not hold.
int decodeSymbol(BitReader& bits, const HuffmanTable& table) {
    const std::uint16_t entry = table.look[bits.peek(kLookBits)];
    if (entry >> 8) {
        bits.skip(entry >> 8);
        return entry & 0xFF;
    }
    const std::uint32_t longer = bits.peek(16);
    int length = kLookBits + 1;
    std::int32_t code = static_cast<std::int32_t>(longer >> (16 - length));
    while (code > table.maxCode[static_cast<std::size_t>(length)]) {
        if (++length > 16) return -1;
        code = static_cast<std::int32_t>(longer >> (16 - length));
    }
    bits.skip(length);
    const std::int32_t index = table.offset[static_cast<std::size_t>(length)] + code;
    if (index < 0 || index >= static_cast<std::int32_t>(table.symbols.size())) return -1;
    return table.symbols[static_cast<std::size_t>(index)];
}

bool BitReader::skipCoefficients(const HuffmanTable& table) {
    std::uint64_t bits = bits_;
    int have = have_;
    for (int k = 1; k < 64; ++k) {
        if (have < 32) {
            bits_ = bits;
            have_ = have;
            fill();
            bits = bits_;
            have = have_;
        }
        const std::uint16_t entry = table.look[bits >> (64 - kLookBits)];
        int symbol = entry & 0xFF;
        if (entry >> 8) {
            const int used = (entry >> 8) + (symbol & 0x0F);
            bits <<= used;
            have -= used;
        } else {
            bits_ = bits;
            have_ = have;
            symbol = decodeSymbol(*this, table);
            if (symbol < 0) return false;
            skip(symbol & 0x0F);
            bits = bits_;
            have = have_;
        }
        const int run = symbol >> 4;
        if ((symbol & 0x0F) == 0) {
            if (run != 15) break;  // end of block
            k += 15;
        } else {
            k += run;
        }
    }
    bits_ = bits;
    have_ = have;
    if (have_ < padding_) missing_ = true;
    return true;
}

std::int32_t extended(std::int32_t value, int size) {
    if (size == 0) return 0;
    return value < (1 << (size - 1)) ? value - (1 << size) + 1 : value;
}

struct ScanComponent {
    int h = 1, v = 1;
    int quantDc = 1;  // the DC entry of its quantization table
    const HuffmanTable* dc = nullptr;
    const HuffmanTable* ac = nullptr;
    std::int32_t predictor = 0;
    int blocksAcross = 0;            // of its rows at an eighth (whole MCUs for an interleaved scan)
    std::vector<std::uint8_t> rows;  // v rows of its samples for the MCU row in hand
};

struct Scan {
    int width = 0, height = 0;  // of the picture at an eighth
    int maxH = 1, maxV = 1;
    int mcusAcross = 0, mcusDown = 0;
    unsigned restartInterval = 0;
    std::vector<ScanComponent> components;
    std::array<HuffmanTable, 4> dcTables, acTables;
};

std::uint16_t bigEndian(const std::uint8_t* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }

bool readTables(const Segment& segment, Scan& scan) {
    const std::uint8_t* p = segment.payload();
    std::size_t left = segment.payloadSize();
    while (left >= 17) {
        const int kind = p[0] >> 4, id = p[0] & 0x0F;
        if (kind > 1 || id > 3) return false;
        HuffmanTable& table = (kind == 0 ? scan.dcTables : scan.acTables)[static_cast<std::size_t>(id)];
        if (!defineTable(table, p + 1, p + 17, left - 17)) return false;
        const std::size_t used = 17 + table.symbols.size();
        p += used;
        left -= used;
    }
    return left == 0;
}

// The DC entry of each quantization table the segment defines.
bool readQuantization(const Segment& segment, std::array<int, 4>& dcOf) {
    const std::uint8_t* p = segment.payload();
    std::size_t left = segment.payloadSize();
    while (left > 0) {
        const int precision = p[0] >> 4, id = p[0] & 0x0F;
        const std::size_t size = 1 + 64 * (precision ? 2 : 1);
        if (id > 3 || precision > 1 || left < size) return false;
        dcOf[static_cast<std::size_t>(id)] = precision ? bigEndian(p + 1) : p[1];
        p += size;
        left -= size;
    }
    return true;
}

// libjpeg's colour rule: three components are YCbCr unless an Adobe segment says RGB, or there
// is neither JFIF nor Adobe segment and the components are named R, G and B.
bool isYcc(const PhotoRecord& record) {
    bool jfif = false, adobeRgb = false, adobe = false;
    for (const Segment& segment : record.segments) {
        if (segment.is(SegmentKind::Jfif)) jfif = true;
        if (segment.is(SegmentKind::Adobe) && segment.payloadSize() >= 12) {
            adobe = true;
            adobeRgb = segment.payload()[11] == 0;
        }
    }
    if (jfif) return true;
    if (adobe) return !adobeRgb;
    const auto& c = record.frame.components;
    return !(c[0].id == 'R' && c[1].id == 'G' && c[2].id == 'B');
}

// The scan of `record` set up, or false when it is not of the kind read here.
bool setUp(const PhotoRecord& record, Scan& scan) {
    const FrameFacts& frame = record.frame;
    const std::size_t count = frame.components.size();
    if ((frame.marker != kSof0 && frame.marker != kSof1) || frame.precision != 8 || frame.width <= 0 ||
        frame.height <= 0 || (count != 1 && count != 3) || (count == 3 && !isYcc(record)))
        return false;
    std::array<int, 4> quantDc{0, 0, 0, 0};
    const Segment* sos = nullptr;
    for (const Segment& segment : record.segments) {
        if (segment.marker == kDht && !readTables(segment, scan)) return false;
        if (segment.marker == kDqt && !readQuantization(segment, quantDc)) return false;
        if (segment.marker == kSos) sos = &segment;
    }
    if (!sos || sos->payloadSize() < 1 + 2 * count + 3 || sos->payload()[0] != count) return false;
    scan.maxH = frame.maxH();
    scan.maxV = frame.maxV();
    scan.width = (frame.width + 7) / 8;
    scan.height = (frame.height + 7) / 8;
    scan.mcusAcross = (frame.width + 8 * scan.maxH - 1) / (8 * scan.maxH);
    scan.mcusDown = (frame.height + 8 * scan.maxV - 1) / (8 * scan.maxV);
    scan.restartInterval = record.restartInterval;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* selector = sos->payload() + 1 + 2 * i;
        const FrameFacts::Component& own = frame.components[i];
        if (selector[0] != own.id || own.table < 0 || own.table > 3 || own.h < 1 || own.h > 4 || own.v < 1 || own.v > 4)
            return false;  // another order than the frame's, or no such table
        ScanComponent component;
        component.h = count == 1 ? 1 : own.h;
        component.v = count == 1 ? 1 : own.v;
        component.quantDc = quantDc[static_cast<std::size_t>(own.table)];
        component.dc = &scan.dcTables[selector[1] >> 4 & 3];
        component.ac = &scan.acTables[selector[1] & 3];
        if ((selector[1] >> 4) > 3 || (selector[1] & 0x0F) > 3 || !component.dc->defined || !component.ac->defined ||
            component.quantDc == 0)
            return false;
        // A scan of one component has blocks for its samples only; an interleaved one whole MCUs.
        component.blocksAcross = count == 1 ? scan.width : scan.mcusAcross * component.h;
        component.rows.assign(static_cast<std::size_t>(component.blocksAcross) * static_cast<std::size_t>(component.v), 0);
        scan.components.push_back(std::move(component));
    }
    if (count == 1) {
        scan.maxH = scan.maxV = 1;
        scan.mcusAcross = scan.width;
        scan.mcusDown = scan.height;
    }
    return true;
}

std::uint8_t sampleOf(std::int32_t dc, int quant) {
    const std::int32_t value = ((dc * quant + 4) >> 3) + 128;
    return static_cast<std::uint8_t>(std::clamp(value, 0, 255));
}

// One block's DC; false for a code no table holds. Blocks past the data's end stay grey, as
// libjpeg leaves them, and are not read: a hostile header's size costs no more than its blocks.
bool readBlock(BitReader& bits, ScanComponent& c, std::uint8_t* sample) {
    if (bits.missing()) {
        *sample = 128;
        return true;
    }
    const int size = decodeSymbol(bits, *c.dc);
    if (size < 0 || size > 15) return false;
    c.predictor += extended(bits.take(size), size);
    if (!bits.skipCoefficients(*c.ac)) return false;
    *sample = bits.missing() ? 128 : sampleOf(c.predictor, c.quantDc);
    return true;
}

void emitRows(const Scan& scan, int mcuRow, std::vector<std::uint8_t>& rgb,
              const std::function<void(const std::uint8_t*, int)>& row) {
    const std::size_t width = static_cast<std::size_t>(scan.width);
    for (int r = 0; r < scan.maxV; ++r) {
        const int y = mcuRow * scan.maxV + r;
        if (y >= scan.height) return;
        const auto sample = [&](const ScanComponent& c, std::size_t x) {
            const std::size_t bx = x * static_cast<std::size_t>(c.h) / static_cast<std::size_t>(scan.maxH);
            const std::size_t by = static_cast<std::size_t>(r * c.v / scan.maxV);
            return static_cast<int>(c.rows[by * static_cast<std::size_t>(c.blocksAcross) + bx]);
        };
        for (std::size_t x = 0; x < width; ++x) {
            std::uint8_t* out = rgb.data() + 3 * x;
            const int luma = sample(scan.components[0], x);
            if (scan.components.size() == 1) {
                out[0] = out[1] = out[2] = static_cast<std::uint8_t>(luma);
                continue;
            }
            // libjpeg's YCbCr to RGB in its fixed point, so that the colours are the ones it gives.
            const int cb = sample(scan.components[1], x) - 128, cr = sample(scan.components[2], x) - 128;
            out[0] = static_cast<std::uint8_t>(std::clamp(luma + ((91881 * cr + 32768) >> 16), 0, 255));
            out[1] = static_cast<std::uint8_t>(std::clamp(luma + ((-22554 * cb - 46802 * cr + 32768) >> 16), 0, 255));
            out[2] = static_cast<std::uint8_t>(std::clamp(luma + ((116130 * cb + 32768) >> 16), 0, 255));
        }
        row(rgb.data(), scan.width);
    }
}

}  // namespace

EighthScan scanEighth(const std::vector<unsigned char>& jpeg, const PhotoRecord& record,
                      const std::function<void(const std::uint8_t* rgb, int width)>& row) {
    Scan scan;
    if (record.pictureDataAt > jpeg.size() || !setUp(record, scan)) return EighthScan::NotThisKind;
    BitReader bits(jpeg.data() + record.pictureDataAt, jpeg.data() + jpeg.size());
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(scan.width) * 3);
    unsigned sinceRestart = 0;
    for (int mcuRow = 0; mcuRow < scan.mcusDown; ++mcuRow) {
        for (int mcu = 0; mcu < scan.mcusAcross; ++mcu) {
            if (scan.restartInterval && sinceRestart == scan.restartInterval) {
                bits.restart();
                for (ScanComponent& c : scan.components) c.predictor = 0;
                sinceRestart = 0;
            }
            ++sinceRestart;
            for (ScanComponent& c : scan.components) {
                for (int by = 0; by < c.v; ++by) {
                    for (int bx = 0; bx < c.h; ++bx) {
                        const std::size_t at = static_cast<std::size_t>(by) * static_cast<std::size_t>(c.blocksAcross) +
                                               static_cast<std::size_t>(mcu * c.h + bx);
                        if (!readBlock(bits, c, &c.rows[at])) return EighthScan::Damaged;
                    }
                }
            }
        }
        emitRows(scan, mcuRow, rgb, row);
        // The rest is grey, as libjpeg pads missing data: a header's size costs no more than its data.
        if (bits.missing()) break;
    }
    return EighthScan::Done;
}
