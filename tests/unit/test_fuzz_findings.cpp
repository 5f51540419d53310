// Every input the fuzz targets (fuzz/) have found, kept: each broke one of the properties there.
#include "fuzz/Properties.h"

#include <gtest/gtest.h>

#include <memory>

using namespace kopix;

namespace {

const LegacyCodePage& cp932() {
    static const auto page = LegacyCodePage::cp932();
    return *page;
}

struct DocumentFinding {
    const char* name;
    QByteArray bytes;
};

class DocumentFindings : public ::testing::TestWithParam<DocumentFinding> {};

TEST_P(DocumentFindings, WriteBackUnchangedIsSafe) {
    const std::optional<QString> fault = properties::documentRoundTripFault(GetParam().bytes, cp932());
    EXPECT_FALSE(fault) << fault.value_or(QString()).toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Fuzz, DocumentFindings,
    ::testing::Values(
        // UTF-16 ending in half a unit: its bytes copied back put the line break out of step.
        DocumentFinding{"Utf16OddByteCount",
                        QByteArray::fromBase64("//5MiCAAbwBuAGUNAAoAdAB3AG8ACgB0AN7/jfZlAGUADQA=")}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
