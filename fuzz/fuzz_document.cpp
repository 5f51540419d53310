// A document's bytes, any at all, in every way the program decodes them (signatures, UTF-8, UTF-16, the
// legacy page CP932 or 1252, picked by the first byte), then written back unchanged.
#include "fuzz/FuzzMain.h"
#include "fuzz/Properties.h"

#include <memory>

using namespace kopix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::unique_ptr<LegacyCodePage> cp932 = LegacyCodePage::cp932();
    static const std::unique_ptr<LegacyCodePage> cp1252 = LegacyCodePage::byName(QStringLiteral("1252"));
    if (size == 0)
        return 0;
    const LegacyCodePage& legacy = (data[0] & 1) && cp1252 ? *cp1252 : *cp932;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    requireNoFault(properties::documentRoundTripFault(bytes, legacy));
    return 0;
}
