#include "cabinet/DosDateTime.h"

#include "cabinet/CabinetFormat.h"

namespace corvane::cabinet {

DosDateTime toDosDateTime(const std::tm& local) {
    const int year = local.tm_year + 1900;
    if (year < kDosFirstYear) return {static_cast<std::uint16_t>(1 << 5 | 1), 0};
    if (year > kDosLastYear)
        return {static_cast<std::uint16_t>((kDosLastYear - kDosFirstYear) << 9 | 12 << 5 | 31),
                static_cast<std::uint16_t>(23 << 11 | 59 << 5 | 29)};
    DosDateTime result;
    result.date =
        static_cast<std::uint16_t>((year - kDosFirstYear) << 9 | (local.tm_mon + 1) << 5 | local.tm_mday);
    // A leap second (60) would overflow the 5-bit field; it is shown as 58.
    const int seconds = local.tm_sec > 59 ? 59 : local.tm_sec;
    result.time = static_cast<std::uint16_t>(local.tm_hour << 11 | local.tm_min << 5 | seconds / 2);
    return result;
}

DosDateTime toDosDateTime(std::time_t moment) {
    std::tm local{};
    if (!localtime_r(&moment, &local)) return toDosDateTime(std::tm{});
    return toDosDateTime(local);
}

}  // namespace corvane::cabinet
