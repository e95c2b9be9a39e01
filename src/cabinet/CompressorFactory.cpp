#include "cabinet/CompressorFactory.h"

#include "cabinet/CabinetFormat.h"
#include "cabinet/MsZipCompressor.h"
#include "cabinet/NoneCompressor.h"
#include "lzx/LzxCompressor.h"

namespace corvane::cabinet {

std::unique_ptr<FolderCompressor> makeFolderCompressor(std::uint16_t typeCompress, codec::JobQueue* jobs) {
    switch (typeCompress & kCompressTypeMask) {
        case kCompressNone:
            if (typeCompress == kCompressNone) return std::make_unique<NoneCompressor>();
            break;
        case kCompressMsZip:
            if (typeCompress == kCompressMsZip) return std::make_unique<MsZipCompressor>(jobs);
            break;
        case kCompressLzx: {
            // Only the window bits may accompany the type; anything else is an unknown type.
            const int windowBits = (typeCompress >> kLzxWindowShift) & 0x1F;
            if ((typeCompress & ~(kCompressTypeMask | (0x1F << kLzxWindowShift))) == 0 &&
                windowBits >= kLzxMinWindowBits && windowBits <= kLzxMaxWindowBits)
                return lzx::makeLzxCompressor(windowBits, jobs);
            break;
        }
        default:
            break;
    }
    return nullptr;
}

}  // namespace corvane::cabinet
