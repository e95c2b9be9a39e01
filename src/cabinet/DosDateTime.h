#pragma once

#include <cstdint>
#include <ctime>

namespace corvane::cabinet {

struct DosDateTime {
    std::uint16_t date = 0;  // (year - 1980) << 9 | month << 5 | day
    std::uint16_t time = 0;  // hour << 11 | minute << 5 | second / 2
};

// A moment as local DOS date and time, clamped to 1980-01-01 00:00:00 .. 2107-12-31 23:59:58.
DosDateTime toDosDateTime(std::time_t moment);
// The same for a broken-down local time.
DosDateTime toDosDateTime(const std::tm& local);

}  // namespace corvane::cabinet
