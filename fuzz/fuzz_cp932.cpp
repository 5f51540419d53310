// The legacy code page CP932 on any bytes.
#include "fuzz/FuzzMain.h"
#include "fuzz/Properties.h"

#include <memory>

using namespace kopix;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::unique_ptr<LegacyCodePage> cp932 = LegacyCodePage::cp932();
    requireNoFault(properties::codePageRoundTripFault(
        QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)), *cp932));
    return 0;
}
