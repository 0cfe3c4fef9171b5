#include "tests/support/multi_picture.h"

#include <algorithm>
#include <stdexcept>

namespace testsupport {
namespace {

constexpr std::uint32_t kPrimaryAttribute = 0x20030000;  // representative, baseline primary

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

void append(Bytes& to, const Bytes& more) { to.insert(to.end(), more.begin(), more.end()); }

Bytes entryBytes(ByteOrder order, const std::vector<MpEntryValues>& entries) {
    Bytes bytes(16 * entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        for (std::size_t field = 0; field < 3; ++field) putNumber(bytes, 16 * i + 4 * field, entries[i][field], 4, order);
    return bytes;
}

// The value of one item property in the chosen form.
std::string property(ContainerForm form, const std::string& prefix, const std::string& name, const std::string& value) {
    if (form == ContainerForm::Attributes) return " " + prefix + ":" + name + "=\"" + value + "\"";
    return "<" + prefix + ":" + name + ">" + value + "</" + prefix + ":" + name + ">";
}

std::string item(const MultiPictureSpec& recipe, std::vector<std::pair<std::string, std::string>> values) {
    const std::string& c = recipe.containerPrefix;
    std::string properties;
    for (const auto& [name, value] : values) properties += property(recipe.container, recipe.itemPrefix, name, value);
    if (recipe.container == ContainerForm::Attributes)
        return "<rdf:li rdf:parseType=\"Resource\"><" + c + ":Item" + properties + "/></rdf:li>\n";
    return "<rdf:li rdf:parseType=\"Resource\"><" + c + ":Item rdf:parseType=\"Resource\">" + properties + "</" + c +
           ":Item></rdf:li>\n";
}

}  // namespace

void MultiPicture::put32(std::size_t at, std::uint32_t value) { putNumber(file, at, value, 4, order); }

MpfPayload makeMpfPayload(ByteOrder order, const std::vector<MpEntryValues>& entries) {
    ExifSpec index;
    index.order = order;
    index.ifd0 = {bytesEntry(0xB000, kExifUndefined, bytesOf("0100")),
                  longEntry(0xB001, {static_cast<std::int64_t>(entries.size())}),
                  bytesEntry(0xB002, kExifUndefined, entryBytes(order, entries))};
    ExifBlock block = buildExif(index);
    MpfPayload mpf;
    mpf.payload = bytesOf(std::string("MPF", 4));
    mpf.payload.insert(mpf.payload.end(), block.payload.begin() + 6, block.payload.end());
    mpf.entriesAt = 4 + block.valueOf(block.ifd0, 0xB002);
    return mpf;
}

Bytes containerXmp(const MultiPictureSpec& recipe, const std::vector<std::size_t>& lengths,
                   const std::string& orientation) {
    const std::string& c = recipe.containerPrefix;
    std::string text = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF "
                       "xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n<rdf:Description rdf:about=\"\"\n"
                       " xmlns:" + c + "='http://ns.google.com/photos/1.0/container/'\n"
                       " xmlns:" + recipe.itemPrefix + "=\"http://ns.google.com/photos/1.0/container/item/\"\n"
                       " xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\"";
    bool attributes = recipe.container == ContainerForm::Attributes;
    if (!orientation.empty() && attributes) text += " tiff:Orientation=\"" + orientation + "\"";
    text += ">\n";
    if (!orientation.empty() && !attributes) text += "<tiff:Orientation>" + orientation + "</tiff:Orientation>\n";
    text += "<" + c + ":Directory><rdf:Seq>\n";
    auto paddingAfter = [&](std::size_t picture) {
        return picture < recipe.further.size() ? recipe.further[picture].gapBefore : 0;
    };
    std::vector<std::pair<std::string, std::string>> primary = {{"Semantic", "Primary"}, {"Mime", "image/jpeg"}};
    if (paddingAfter(0)) primary.push_back({"Padding", std::to_string(paddingAfter(0))});
    text += item(recipe, primary);
    for (std::size_t i = 0; i < recipe.further.size(); ++i) {
        std::vector<std::pair<std::string, std::string>> values = {
            {"Semantic", recipe.further[i].semantic}, {"Mime", "image/jpeg"}, {"Length", std::to_string(lengths.at(i))}};
        if (paddingAfter(i + 1)) values.push_back({"Padding", std::to_string(paddingAfter(i + 1))});
        text += item(recipe, values);
    }
    if (!recipe.video.empty())
        text += item(recipe, {{"Semantic", "MotionPhoto"}, {"Mime", "video/mp4"}, {"Length", std::to_string(recipe.video.size())}});
    text += "</rdf:Seq></" + c + ":Directory>\n</rdf:Description></rdf:RDF></x:xmpmeta>";
    Bytes payload = bytesOf(std::string("http://ns.adobe.com/xap/1.0/", 29));
    append(payload, bytesOf(text));
    return payload;
}

MultiPicture makeMultiPicture(const MultiPictureSpec& recipe) {
    MultiPicture made;
    made.order = recipe.order;
    std::vector<std::size_t> lengths;
    for (const FurtherPictureSpec& further : recipe.further) {
        made.pictures.push_back(makeJpeg(further.picture));
        lengths.push_back(made.pictures.back().size());
    }
    std::vector<MpEntryValues> entries(1 + recipe.further.size(), MpEntryValues{0, 0, 0});
    const MpfPayload placeholder = makeMpfPayload(recipe.order, entries);
    JpegSpec primary = recipe.primary;
    primary.writeJfif = false;
    primary.markers.insert(primary.markers.begin(), {0xE2, placeholder.payload});
    ExifSpec exif = cameraExifSpec(recipe.order, {});
    for (ExifEntry& entry : exif.ifd0)
        if (entry.tag == 0x0112) entry = shortEntry(0x0112, {recipe.orientation});
    primary.markers.insert(primary.markers.begin(), {0xE1, buildExif(exif).payload});
    if (recipe.container != ContainerForm::None) {
        made.xmp = containerXmp(recipe, lengths);
        primary.markers.insert(primary.markers.begin() + 2, {0xE1, made.xmp});
    }
    made.file = makeJpeg(primary);
    made.firstEnd = made.file.size();
    const long mpfAt =
        std::search(made.file.begin(), made.file.end(), placeholder.payload.begin(), placeholder.payload.end()) - made.file.begin();
    made.mpfBase = std::size_t(mpfAt) + 4;
    made.entriesAt = std::size_t(mpfAt) + placeholder.entriesAt;

    entries[0] = {kPrimaryAttribute, static_cast<std::uint32_t>(made.firstEnd), 0};
    for (std::size_t i = 0; i < recipe.further.size(); ++i) {
        made.file.insert(made.file.end(), recipe.further[i].gapBefore, 0);
        made.starts.push_back(made.file.size());
        entries[i + 1] = {recipe.further[i].attribute, static_cast<std::uint32_t>(lengths[i]),
                          static_cast<std::uint32_t>(made.file.size() - made.mpfBase)};
        append(made.file, made.pictures[i]);
    }
    append(made.file, recipe.video);
    const Bytes mpf = makeMpfPayload(recipe.order, entries).payload;
    std::copy(mpf.begin(), mpf.end(), made.file.begin() + mpfAt);
    return made;
}

MultiPictureSpec ultraHdrSpec(ContainerForm form, ByteOrder order) {
    MultiPictureSpec recipe;
    recipe.order = order;
    recipe.primary.width = 64;
    recipe.primary.height = 48;
    FurtherPictureSpec gainMap;
    gainMap.picture.width = 16;
    gainMap.picture.height = 12;
    gainMap.picture.color = ColorKind::Gray;
    gainMap.picture.lumaH = gainMap.picture.lumaV = 1;
    gainMap.picture.seed = 7;
    recipe.further.push_back(gainMap);
    recipe.container = form;
    return recipe;
}

}  // namespace testsupport
