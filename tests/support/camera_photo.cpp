#include "tests/support/camera_photo.h"

namespace testsupport {
namespace {

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

void setDates(ExifSpec& exif, const std::string& text) {
    auto rewrite = [&](ExifEntries& entries) {
        for (ExifEntry& entry : entries)
            if (entry.tag == 0x0132 || entry.tag == 0x9003 || entry.tag == 0x9004) entry = asciiEntry(entry.tag, text);
    };
    rewrite(exif.ifd0);
    if (exif.exif) rewrite(*exif.exif);
}

// IFD0 states `value` (0: no tag at all); other than 1, IFD1 states it too.
void setOrientation(ExifSpec& exif, int value) {
    auto& ifd0 = exif.ifd0;
    for (auto it = ifd0.begin(); it != ifd0.end(); ++it)
        if (it->tag == 0x0112) {
            if (value == 0) ifd0.erase(it);
            else *it = shortEntry(0x0112, {value});
            break;
        }
    if (value != 1 && value != 0) exif.ifd1->push_back(shortEntry(0x0112, {value}));
}

std::string xmpPacket(int orientation) {
    std::string attributes;
    if (orientation != 1)
        attributes = " xmlns:tiff=\"http://ns.adobe.com/tiff/1.0/\" tiff:Orientation=\"" + std::to_string(orientation) + "\"";
    return std::string("http://ns.adobe.com/xap/1.0/") + '\0' + "<x:xmpmeta" + attributes + ">rating 3</x:xmpmeta>";
}

}  // namespace

CameraPhoto makeCameraPhoto(const CameraPhotoSpec& recipe) {
    CameraPhoto photo;
    JpegSpec thumbnailRecipe;
    thumbnailRecipe.width = recipe.thumbnailWidth;
    thumbnailRecipe.height = recipe.thumbnailHeight;
    thumbnailRecipe.seed = recipe.seed + 1000;
    thumbnailRecipe.quality = 75;
    photo.thumbnail = makeJpeg(thumbnailRecipe);

    photo.comment = bytesOf("Pivora test photo " + std::to_string(recipe.seed));
    photo.xmp = bytesOf(xmpPacket(recipe.orientation));
    photo.icc = bytesOf(std::string("ICC_PROFILE") + '\0' + "\x01\x01" + std::string(64, 'c'));

    JpegSpec main;
    main.width = recipe.width;
    main.height = recipe.height;
    main.quality = recipe.quality;
    main.seed = recipe.seed;
    if (recipe.withExif) {
        ExifSpec exif = cameraExifSpec(recipe.order, photo.thumbnail);
        if (!recipe.dateText.empty()) setDates(exif, recipe.dateText);
        if (!recipe.thumbnailAtEnd) {  // an ImageDescription whose text lies behind the thumbnail
            exif.ifd0.push_back(asciiEntry(0x010E, "described later"));
            exif.ifd0.back().behindThumbnail = true;
        }
        setOrientation(exif, recipe.orientation);
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
