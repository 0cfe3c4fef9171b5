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
    photo.xmp = bytesOf(std::string("http://ns.adobe.com/xap/1.0/") + '\0' + "<x:xmpmeta>rating 3</x:xmpmeta>");
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
