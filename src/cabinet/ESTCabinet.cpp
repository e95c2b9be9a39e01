#include "cabinet/ESTCabinet.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "cabinet/FciTypes.h"

namespace corvane::cabinet {

namespace {

constexpr std::size_t kMaxSystemMessage = 256;  // the longest system text a message carries

constexpr std::array<const char*, 9> kCompressorTexts = {
    "No error",
    "Failure opening file to be stored in cabinet",
    "Failure reading file to be stored in cabinet",
    "Out of memory in FCI",
    "Could not create a temporary file",
    "Unknown compression type",
    "Could not create cabinet file",
    "Client requested abort",
    "Failure compressing data",
};

constexpr std::array<const char*, 12> kDecompressorTexts = {
    "No error",
    "Cabinet not found",
    "Cabinet file does not have the correct format",
    "Cabinet file has an unknown version number",
    "Cabinet file is corrupt",
    "Could not allocate enough memory",
    "Unknown compression type in a cabinet folder",
    "Failure decompressing data from a cabinet file",
    "Failure writing to target file",
    "Cabinets in a set do not have the same RESERVE sizes",
    "Cabinet returned on fdintNEXT_CABINET is incorrect",
    "FDI aborted",
};

std::string bracketedCode(std::int32_t code) {
    char text[16];
    std::snprintf(text, sizeof text, " [0x%04X]", static_cast<unsigned>(code));
    return text;
}

template <std::size_t N>
std::string textFor(const std::array<const char*, N>& table, std::int32_t code, const char* fallback) {
    return code >= 0 && static_cast<std::size_t>(code) < N ? table[static_cast<std::size_t>(code)] : fallback;
}

}  // namespace

std::string ESTCabinet::systemMessage(std::int32_t errorType) {
    std::string text = std::strerror(errorType);
    if (text.size() > kMaxSystemMessage) text.resize(kMaxSystemMessage);
    while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.'))
        text.pop_back();
    return text;
}

std::string ESTCabinet::formatMessage(std::int32_t errorCode, std::int32_t errorType, bool hasError,
                                      bool isCompressor, const std::string& detail) {
    const char* fallback = isCompressor ? "FCI error" : "FDI error";
    if (!hasError) return fallback;
    std::string message = isCompressor ? textFor(kCompressorTexts, errorCode, fallback)
                                       : textFor(kDecompressorTexts, errorCode, fallback);
    message += bracketedCode(errorCode);
    if (errorType != 0) message += ".\r\n" + systemMessage(errorType) + bracketedCode(errorType) + ".";
    // Corvane's own addition: what the engine knows beyond the codes (which file broke which
    // limit), in the same form as the system's text.
    if (!detail.empty()) message += (errorType != 0 ? "\r\n" : ".\r\n") + detail + ".";
    return message;
}

ESTCabinet::ESTCabinet(const ERF& erf, bool isCompressor)
    : std::runtime_error(formatMessage(erf.erfOper, erf.erfType, erf.fError != 0, isCompressor, erf.detail)),
      m_errorCode(erf.erfOper),
      m_errorType(erf.erfType),
      m_hasError(erf.fError != 0),
      m_isCompressor(isCompressor) {}

ESTCabinet::ESTCabinet(const std::string& message) : std::runtime_error(message) {}

}  // namespace corvane::cabinet
