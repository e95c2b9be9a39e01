// Any bytes as zansetup.ini, read by Setup.exe's own reader built for the host: a description
// is refused with a message or read whole, and a readable description stays readable when a
// good line is added and is refused when a damaged one is.

#include "DescriptionReader.h"
#include "FuzzCheck.h"
#include "Text.h"

using corvane::rt::Description;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    Description description;
    std::wstring error;
    const bool read = description.parse(bytes, error);
    CORVANE_FUZZ_CHECK(
        read == error.empty(),
        "a refusal without a message, or a message without a refusal: " + corvane::rt::toUtf8(error));
    if (!read) {
        CORVANE_FUZZ_CHECK(error.rfind(L"The setup description", 0) == 0,
                           "the refusal does not name the description: " + corvane::rt::toUtf8(error));
        return 0;
    }

    Description withGood;
    std::wstring goodError;
    CORVANE_FUZZ_CHECK(
        withGood.parse(bytes + "\r\n[Files]\r\nfuzz.txt?1?Overwrite?Yes=\r\n", goodError),
        "a good Files line made a readable description unreadable: " + corvane::rt::toUtf8(goodError));
    CORVANE_FUZZ_CHECK(withGood.files.size() == description.files.size() + 1, "the added file line is lost");
    CORVANE_FUZZ_CHECK(withGood.stubSize == description.stubSize, "an added file line changed FileSize");

    Description withDamaged;
    std::wstring damagedError;
    CORVANE_FUZZ_CHECK(
        !withDamaged.parse(bytes + "\r\n[Files]\r\nfuzz.txt?one?Overwrite?Yes=\r\n", damagedError),
        "a Files line with a length that is not a number was accepted");
    return 0;
}
