#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace corvane::cabinet {

struct ERF;

// A failure of the cabinet engine (or, with IsCompressor false, of a cabinet decoder), with the
// codes of its error record and a readable message.
class ESTCabinet : public std::runtime_error {
public:
    explicit ESTCabinet(const ERF& erf, bool isCompressor = true);
    // A failure found before the engine is reached; no codes.
    explicit ESTCabinet(const std::string& message);

    std::int32_t ErrorCode() const { return m_errorCode; }
    std::int32_t ErrorType() const { return m_errorType; }
    bool HasError() const { return m_hasError; }
    bool IsCompressor() const { return m_isCompressor; }

    // The message for these codes, as the constructor builds it.
    static std::string formatMessage(std::int32_t errorCode, std::int32_t errorType, bool hasError,
                                     bool isCompressor, const std::string& detail = {});
    // The system's text for an errno value: at most 256 characters, without trailing blanks,
    // control characters and full stops.
    static std::string systemMessage(std::int32_t errorType);

private:
    std::int32_t m_errorCode = 0;
    std::int32_t m_errorType = 0;
    bool m_hasError = false;
    bool m_isCompressor = true;
};

}  // namespace corvane::cabinet
