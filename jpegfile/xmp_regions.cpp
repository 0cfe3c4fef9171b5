#include "jpegfile/xmp_regions.h"

#include <algorithm>
#include <initializer_list>
#include <optional>

namespace {

constexpr char kMwgRegions[] = "http://www.metadataworkinggroup.com/schemas/regions/";
constexpr char kArea[] = "http://ns.adobe.com/xmp/sType/Area#";
constexpr char kDimensions[] = "http://ns.adobe.com/xap/1.0/sType/Dimensions#";
constexpr char kMicrosoftPhoto[] = "http://ns.microsoft.com/photo/1.2/";
constexpr char kRegionInfo[] = "http://ns.microsoft.com/photo/1.2/t/RegionInfo#";
constexpr char kRegion[] = "http://ns.microsoft.com/photo/1.2/t/Region#";

// Pixels of the picture as shown per unit of a position, along each axis.
struct Scale {
    double x = 1, y = 1;
};

Scale scaleOf(PictureSize size) { return {size.width, size.height}; }

int mostDecimals(std::initializer_list<const WrittenNumber*> numbers) {
    int decimals = 0;
    for (const WrittenNumber* number : numbers) decimals = std::max(decimals, number->decimals);
    return decimals;
}

class RegionTurn {
public:
    RegionTurn(const XmpTree& tree, const std::string& packet, const PictureTurn& turn,
               std::vector<XmpReplacement>* replacements, std::string* reason)
        : tree_(tree), packet_(packet), turn_(turn), replacements_(replacements), reason_(reason),
          before_(sizeBefore(turn, PictureFrame::Shown)), after_(sizeAfter(turn, PictureFrame::Shown)) {}

    // mwg-rs:Regions: the size they apply to, then every area of the list.
    bool mwg(const XmpField& regions) {
        const std::vector<XmpField> fields = tree_.fieldsOf(regions);
        Scale pixelBefore, pixelAfter;  // shown pixels per pixel of the size applied to
        if (const std::optional<XmpField> applied = findField(fields, kMwgRegions, "AppliedToDimensions")) {
            const std::vector<XmpField> size = tree_.fieldsOf(*applied);
            WrittenNumber w, h;
            if (!number(size, kDimensions, "w", &w) || !number(size, kDimensions, "h", &h) || w.value <= 0 || h.value <= 0)
                return fail("its face regions state no size they apply to");
            const std::optional<XmpField> unit = findField(size, kDimensions, "unit");
            if (unit && tree_.value(*unit) != "pixel") return fail("its face regions apply to a size not in pixels");
            pixelBefore = {before_.width / w.value, before_.height / h.value};
            pixelAfter = exchangesAxes(turn_, PictureFrame::Shown) ? Scale{pixelBefore.y, pixelBefore.x} : pixelBefore;
            write(w, after_.width / pixelAfter.x, w.decimals);
            write(h, after_.height / pixelAfter.y, h.decimals);
        }
        const std::optional<XmpField> list = findField(fields, kMwgRegions, "RegionList");
        if (!list) return true;
        for (const XmpField& item : tree_.itemsOf(*list)) {
            const std::vector<XmpField> region = tree_.fieldsOf(item);
            const std::optional<XmpField> area = findField(region, kMwgRegions, "Area");
            if (area && !mwgArea(tree_.fieldsOf(*area), pixelBefore, pixelAfter)) return false;
        }
        return true;
    }

    // MP:RegionInfo: every rectangle of its list of regions.
    bool microsoft(const XmpField& info) {
        const std::optional<XmpField> regions = findField(tree_.fieldsOf(info), kRegionInfo, "Regions");
        if (!regions) return true;
        for (const XmpField& item : tree_.itemsOf(*regions)) {
            const std::vector<XmpField> region = tree_.fieldsOf(item);
            const std::optional<XmpField> rectangle = findField(region, kRegion, "Rectangle");
            if (rectangle && !microsoftRectangle(*rectangle)) return false;
        }
        return true;
    }

private:
    bool fail(const std::string& why) {
        *reason_ = why;
        return false;
    }

    bool number(const std::vector<XmpField>& fields, const char* uri, const char* local, WrittenNumber* found) const {
        const std::optional<XmpField> field = findField(fields, uri, local);
        return field && readWrittenNumber(tree_, packet_, *field, found);
    }

    void write(const WrittenNumber& number, double value, int decimals) {
        replacements_->push_back({number.span, writtenNumber(value, decimals)});
    }

    // The box, in units of `before`, turned as the picture is shown, in units of `after`.
    Box turned(Box box, Scale before, Scale after) const {
        box = {box.left * before.x, box.top * before.y, box.right * before.x, box.bottom * before.y};
        box = boxAfter(turn_, PictureFrame::Shown, box);
        return {box.left / after.x, box.top / after.y, box.right / after.x, box.bottom / after.y};
    }

    // One stArea: a centre and a size, or a centre and a diameter.
    bool mwgArea(const std::vector<XmpField>& area, Scale pixelBefore, Scale pixelAfter) {
        const std::optional<XmpField> unitField = findField(area, kArea, "unit");
        const std::string unit = unitField ? tree_.value(*unitField) : "";
        const bool normalized = unit == "normalized";
        if (!normalized && unit != "pixel") return fail("a face region's unit is neither normalized nor pixel");
        WrittenNumber x, y, w, h, d;
        const bool circle = findField(area, kArea, "d").has_value();
        if (!number(area, kArea, "x", &x) || !number(area, kArea, "y", &y) ||
            (circle ? !number(area, kArea, "d", &d) : !number(area, kArea, "w", &w) || !number(area, kArea, "h", &h)))
            return fail("a face region's area is not a centre and a size in numbers");
        // The diameter of a normalised circle counts in a side of the picture, which the turn may change.
        if (circle && normalized && (before_.width != after_.width || before_.height != after_.height))
            return fail("a normalised circle region cannot follow a turn that changes the picture's shape");
        const int decimals = circle ? mostDecimals({&x, &y, &d}) : mostDecimals({&x, &y, &w, &h});
        const Box box = turned(Box::around(x.value, y.value, circle ? 0 : w.value, circle ? 0 : h.value),
                               normalized ? scaleOf(before_) : pixelBefore, normalized ? scaleOf(after_) : pixelAfter);
        write(x, box.centreX(), decimals);
        write(y, box.centreY(), decimals);
        if (!circle) {
            write(w, box.width(), decimals);
            write(h, box.height(), decimals);
        }
        return true;
    }

    // "x, y, w, h", normalised, from the top-left corner; the separators stay as they are.
    bool microsoftRectangle(const XmpField& rectangle) {
        XmlSpan span;
        std::vector<WrittenNumber> numbers;
        if (tree_.rawValue(rectangle, &span)) {
            const std::size_t end = span.at + span.size;
            for (std::size_t at = span.at; numbers.size() < 5;) {
                std::size_t comma = packet_.find(',', at);
                if (comma == std::string::npos || comma > end) comma = end;
                WrittenNumber number;
                number.span = withoutBlanks(packet_, {at, comma - at});
                if (!parseWrittenNumber(packet_.substr(number.span.at, number.span.size), &number.value, &number.decimals))
                    break;
                numbers.push_back(number);
                if (comma == end) break;
                at = comma + 1;
            }
        }
        if (numbers.size() != 4) return fail("a face rectangle is not four numbers");
        const WrittenNumber &x = numbers[0], &y = numbers[1], &w = numbers[2], &h = numbers[3];
        const int decimals = mostDecimals({&x, &y, &w, &h});
        const Box box = turned({x.value, y.value, x.value + w.value, y.value + h.value}, scaleOf(before_), scaleOf(after_));
        write(x, box.left, decimals);
        write(y, box.top, decimals);
        write(w, box.width(), decimals);
        write(h, box.height(), decimals);
        return true;
    }

    const XmpTree& tree_;
    const std::string& packet_;
    const PictureTurn& turn_;
    std::vector<XmpReplacement>* replacements_;
    std::string* reason_;
    const PictureSize before_, after_;  // the picture as shown
};

}  // namespace

bool turnXmpRegions(const XmpTree& tree, const std::string& packet, const PictureTurn& turn,
                    std::vector<XmpReplacement>* replacements, std::string* reason) {
    RegionTurn regions(tree, packet, turn, replacements, reason);
    for (const XmpField& field : tree.topLevelFields()) {
        if (field.is(kMwgRegions, "Regions") && !regions.mwg(field)) return false;
        if (field.is(kMicrosoftPhoto, "RegionInfo") && !regions.microsoft(field)) return false;
    }
    return true;
}
