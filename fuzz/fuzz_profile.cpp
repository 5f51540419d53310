// The settings file as a hand editor or another program may leave it, with one of Kopix's own keys
// written to it and read back. The input gives the key, the value (as UTF-8 or Latin-1) and the file.
#include "fuzz/FuzzMain.h"
#include "fuzz/Properties.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <array>

using namespace kopix;

namespace {

// The sections and keys Kopix writes.
constexpr std::array<std::pair<const char16_t*, const char16_t*>, 12> OwnKeys{{
    {u"fC", u"A_W"},
    {u"fC", u"A_L"},
    {u"LB", u"TI"},
    {u"LB", u"FS"},
    {u"LB", u"K1"},
    {u"LB", u"C3"},
    {u"FL", u"FD"},
    {u"FL", u"F0"},
    {u"FL", u"F9"},
    {u"Memotyo", u"Notepad"},
    {u"AA", u"A_W"},
    {u"fC", u"A_H"},
}};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const auto [section, key] = OwnKeys[input.ConsumeIntegralInRange<size_t>(0, OwnKeys.size() - 1)];
    const auto [otherSection, otherKey] =
        OwnKeys[input.ConsumeIntegralInRange<size_t>(0, OwnKeys.size() - 1)];
    const std::string raw = input.ConsumeRandomLengthString(600);
    const QString value = input.ConsumeBool() ? QString::fromUtf8(raw.data(), qsizetype(raw.size()))
                                              : QString::fromLatin1(raw.data(), qsizetype(raw.size()));
    const std::vector<char> file = input.ConsumeRemainingBytes<char>();
    requireNoFault(properties::profileRoundTripFault(
        QByteArray(file.data(), qsizetype(file.size())), QString::fromUtf16(section), QString::fromUtf16(key),
        value, QString::fromUtf16(otherSection), QString::fromUtf16(otherKey)));
    return 0;
}
