#include "workflow/photo_header.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "jpegfile/markers.h"

Result<PhotoRecord> readPhotoHeader(const platform::SourceFile& source, const std::string& path) {
    const std::size_t fileSize = static_cast<std::size_t>(source.status().st_size);
    std::vector<unsigned char> bytes;
    std::string error;
    for (std::size_t wanted = std::min(fileSize, kFirstHeaderRead);; wanted = std::min(fileSize, 4 * wanted)) {
        if (source.readPrefix(wanted, &bytes, &error) != platform::SourceFile::Status::Ok)
            return refuse(RefusalReason::CannotRead, error);
        if (!startsWithSoi(bytes.data(), bytes.size())) return refuse(RefusalReason::NotJpeg);
        Result<PhotoRecord> record = readPhotoRecord(bytes.data(), bytes.size(), path);
        const bool readFurther = !record.ok() && record.refusal().detail == kEndsBeforePicture && wanted < fileSize &&
                                 bytes.size() == wanted;
        if (!readFurther) return record;
    }
}
