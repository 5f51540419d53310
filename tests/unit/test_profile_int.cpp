#include "core/ProfileInt.h"

#include <gtest/gtest.h>

#include <limits>

using kopix::parseProfileInt;
using kopix::ProfileFile;
using kopix::profileIntText;
using kopix::readProfileInt;

namespace {

constexpr qint32 Default = 77;
constexpr qint32 Min = std::numeric_limits<qint32>::min();
constexpr qint32 Max = std::numeric_limits<qint32>::max();

TEST(ParseProfileInt, AcceptsDecimalAndHexAndNothingElse) {
    // clang-format off
    const std::pair<const char*, qint32> cases[] = {
        {"0", 0}, {"123", 123}, {"+5", 5}, {"-5", -5}, {"  42", 42}, {"007", 7}, {"-0", 0},
        {"2147483647", Max}, {"-2147483648", Min}, {"2147483648", Default}, {"-2147483649", Default},
        {"99999999999999999999", Default},
        {"$FF", 255}, {"$ff", 255}, {"0xFF", 255}, {"0XfF", 255}, {"xFF", 255}, {"XFF", 255}, {"0x1", 1},
        {"$FF000008", -16777208}, {"$FFFFFFFF", -1}, {"$80000000", Min}, {"-$80000000", Min},
        {"$0000000001", 1}, {"$100000000", Default}, {"-$10", -16}, {"-0x10", -16}, {" 0x10", 16}, {"+$A", 10},
        {"", Default}, {"   ", Default}, {"+", Default}, {"-", Default}, {"$", Default}, {"x", Default},
        {"0x", Default}, {"0x-5", Default}, {"$-5", Default}, {"12 ", Default}, {"1a", Default},
        {"$G", Default}, {"0b1", Default}, {"\t5", Default}, {"1.0", Default}, {"--1", Default},
        {"\xEF\xBC\x91\xEF\xBC\x92", Default}, // full-width digits
    };
    // clang-format on
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(parseProfileInt(QString::fromUtf8(text), Default), expected) << '"' << text << '"';
}

TEST(ProfileIntText, ReadsBackToTheSameValue) {
    for (qint32 value : {Min, -16777208, -1, 0, 1, 16711680, Max}) {
        const QString text = profileIntText(value);
        EXPECT_FALSE(text.startsWith(u'+'));
        EXPECT_EQ(parseProfileInt(text, value == 0 ? 1 : 0), value) << text.toStdString();
    }
}

TEST(ReadProfileInt, ConvertsTheStoredTextOrGivesTheDefault) {
    const ProfileFile file = ProfileFile::fromBytes("[LB]\r\nFS=abc\r\nC1= 0xFF \r\nC2=\"12\"\r\nS1=\r\n");
    EXPECT_EQ(readProfileInt(file, u"LB", u"FS", 11), 11);
    EXPECT_EQ(readProfileInt(file, u"LB", u"C1", 0), 255);
    EXPECT_EQ(readProfileInt(file, u"LB", u"C2", 0), 12);
    EXPECT_EQ(readProfileInt(file, u"LB", u"S1", 3), 3);
    EXPECT_EQ(readProfileInt(file, u"LB", u"missing", -4), -4);
}

} // namespace
