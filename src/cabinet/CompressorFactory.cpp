#include "cabinet/CompressorFactory.h"

#include "cabinet/CabinetFormat.h"
#include "cabinet/MsZipCompressor.h"
#include "cabinet/NoneCompressor.h"

namespace corvane::cabinet {

std::unique_ptr<FolderCompressor> makeFolderCompressor(std::uint16_t typeCompress) {
    switch (typeCompress & kCompressTypeMask) {
    case kCompressNone:
        if (typeCompress == kCompressNone) return std::make_unique<NoneCompressor>();
        break;
    case kCompressMsZip:
        if (typeCompress == kCompressMsZip) return std::make_unique<MsZipCompressor>();
        break;
    case kCompressLzx:
        // The LZX encoder is not part of this library yet: refusing the type here makes the
        // engine fail with "Unknown compression type" before it touches a file.
        break;
    default:
        break;
    }
    return nullptr;
}

}  // namespace corvane::cabinet
