#include "tests/support/camera_photo.h"

#include <algorithm>
#include <optional>

namespace testsupport {
namespace {

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Each entry of `tag` in `entries` becomes `by`, or goes where `by` is empty.
void replaceEntries(ExifEntries& entries, std::uint16_t tag, const std::optional<ExifEntry>& by) {
    entries.erase(std::remove_if(entries.begin(), entries.end(), [&](const ExifEntry& e) { return e.tag == tag && !by; }),
                  entries.end());
    for (ExifEntry& entry : entries)
        if (entry.tag == tag) entry = *by;
}

std::string xmpPacket(int orientation) {
    std::string attributes;
    if (orientation != 1)
        attributes = " xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\" tiff:Orientation=\"" + std::to_string(orientation) + "\"";
    return std::string("http://ns.adobe.com/xap/1.0/") + '\0' +
           "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">"
           "<rdf:Description rdf:about=\"\"" + attributes + ">rating 3</rdf:Description></rdf:RDF></x:xmpmeta>";
}

}  // namespace

CameraPhoto makeCameraPhoto(const CameraPhotoSpec& recipe) {
    CameraPhoto photo;
    JpegSpec thumbnailRecipe;
    thumbnailRecipe.width = recipe.thumbnailWidth;
    thumbnailRecipe.height = recipe.thumbnailHeight;
    thumbnailRecipe.seed = recipe.seed + 1000;
    thumbnailRecipe.quality = 75;
    if (recipe.draw)
        thumbnailRecipe.drawRow = [&recipe](int y, std::uint8_t* row) {
            recipe.draw(recipe.thumbnailWidth, recipe.thumbnailHeight, y, row);
        };
    photo.thumbnail = makeJpeg(thumbnailRecipe);

    photo.comment = bytesOf("Pivora test photo " + std::to_string(recipe.seed));
    photo.xmp = recipe.xmp.empty() ? bytesOf(xmpPacket(recipe.orientation))
                                   : bytesOf(std::string("http://ns.adobe.com/xap/1.0/") + '\0' + recipe.xmp);
    photo.icc = bytesOf(std::string("ICC_PROFILE") + '\0' + "\x01\x01" + std::string(64, 'c'));

    JpegSpec main;
    main.width = recipe.width;
    main.height = recipe.height;
    main.quality = recipe.quality;
    main.seed = recipe.seed;
    main.noise = recipe.noise;
    if (recipe.draw) main.drawRow = [&recipe](int y, std::uint8_t* row) { recipe.draw(recipe.width, recipe.height, y, row); };
    if (recipe.withExif) {
        ExifSpec exif = cameraExifSpec(recipe.order, photo.thumbnail);
        if (!recipe.dateText.empty())  // DateTime, DateTimeOriginal and DateTimeDigitized
            for (std::uint16_t tag : {0x0132, 0x9003, 0x9004})
                for (ExifEntries* entries : {&exif.ifd0, &*exif.exif}) replaceEntries(*entries, tag, asciiEntry(tag, recipe.dateText));
        if (!recipe.thumbnailAtEnd) {  // an ImageDescription whose text lies behind the thumbnail
            exif.ifd0.push_back(asciiEntry(0x010E, "described later"));
            exif.ifd0.back().behindThumbnail = true;
        }
        // IFD0 states the orientation (0: no tag at all); other than 1, IFD1 states it too.
        const ExifEntry orientation = shortEntry(0x0112, {recipe.orientation});
        replaceEntries(exif.ifd0, 0x0112, recipe.orientation ? std::optional(orientation) : std::nullopt);
        if (recipe.orientation != 1 && recipe.orientation != 0) exif.ifd1->push_back(orientation);
        if (recipe.adjustExif) recipe.adjustExif(exif);
        photo.exif = buildExif(exif);
        main.writeJfif = false;
        main.markers.push_back({0xE1, photo.exif.payload});
        main.markers.push_back({0xE1, photo.xmp});
        main.markers.push_back({0xE2, photo.icc});
    }
    main.markers.push_back({0xFE, photo.comment});
    photo.jpeg = makeJpeg(main);
    return photo;
}

}  // namespace testsupport
