#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "base/file_image.h"
#include "base/read_failure_case.h"
#include "base/temporary_folder.h"
#include "record/record_file.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using testing::HasSubstr;

constexpr std::uintmax_t ImageSize = 9'216'064;

// Every byte different from its neighbours, so a field read from a shifted offset or a byte
// left out shows. The element is far too large for the stack.
std::unique_ptr<RecordFileType> patterned(unsigned seed) {
    auto element = std::make_unique<RecordFileType>();
    auto bytes = recordBytes(*element);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::byte>(i * 131 + (i >> 8) + (i >> 16) + seed);
    return element;
}

std::span<const unsigned char> imageOf(const RecordFileType& element) {
    auto bytes = recordBytes(element);
    return {reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()};
}

// Compares without printing megabytes: a mismatch reports where the bytes first differ.
testing::AssertionResult sameBytes(std::span<const unsigned char> actual,
                                   std::span<const unsigned char> expected) {
    if (actual.size() != expected.size())
        return testing::AssertionFailure()
               << actual.size() << " bytes where " << expected.size() << " were expected";
    auto [a, e] = std::mismatch(actual.begin(), actual.end(), expected.begin());
    if (a != actual.end())
        return testing::AssertionFailure()
               << "first difference at byte " << (a - actual.begin()) << ": "
               << static_cast<int>(*a) << " where " << static_cast<int>(*e) << " was expected";
    return testing::AssertionSuccess();
}

class RecordFileTest : public testing::Test {
protected:
    TemporaryFolder folder_;
    fs::path path_ = folder_ / "RecordFile.vtr";
};

struct QuantityCase {
    const char* what;
    std::uint32_t quantity;
};

void PrintTo(const QuantityCase& c, std::ostream* out) {
    *out << c.what;
}

class RecordFileRoundTrip : public RecordFileTest,
                            public testing::WithParamInterface<QuantityCase> {};

// The file holds the whole capacity, however few samples are valid.
TEST_P(RecordFileRoundTrip, SaveThenOpenGivesBackTheWholeImage) {
    auto saved = patterned(1);
    saved->RecordData.Total_Record_quantity = GetParam().quantity;
    writeRecordFile(path_.string(), *saved);
    EXPECT_EQ(fs::file_size(path_), ImageSize);

    auto opened = patterned(2);
    readRecordFile(path_.string(), *opened);
    EXPECT_TRUE(sameBytes(imageOf(*opened), imageOf(*saved)));
}

INSTANTIATE_TEST_SUITE_P(RecordLengths, RecordFileRoundTrip,
                         testing::Values(QuantityCase{"no samples", 0},
                                         QuantityCase{"one packet", PacketSamples},
                                         QuantityCase{"full capacity", RecordCapacity}));

struct Placement {
    const char* field;
    std::size_t offset;
    Bytes bytes; // least significant first
};

TEST_F(RecordFileTest, FileIsTheLittleEndianImageWithFieldsInPlace) {
    auto element = patterned(3);
    RecordDataType& data = element->RecordData;
    element->data = 1.0;
    data.Total_Record_quantity = RecordCapacity;
    data.Sampling_Rate = 0.25F;
    data.U1Gene = 1.5F;
    data.RecordDateTime = 46367.75;
    data.U1_Sampling[0] = 0x1234;
    data.U1_Sampling[RecordCapacity - 1] = -2;
    data.I1_Sampling[0] = 0x0A0B;
    data.Point_Start = 0x11223344;
    data.End_Point = 0x0708090A;
    data.Display_Number = 0x5566;
    writeRecordFile(path_.string(), *element);

    Bytes file = fileBytes(path_);
    ASSERT_EQ(file.size(), ImageSize);
    const Placement placements[] = {
        {"data", 0, {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF0, 0x3F}},
        {"Total_Record_quantity", 8, {0x01, 0x28, 0x23, 0x00}},
        {"Sampling_Rate", 12, {0x00, 0x00, 0x80, 0x3E}},
        {"U1Gene", 18, {0x00, 0x00, 0xC0, 0x3F}},
        {"RecordDateTime", 42, {0x00, 0x00, 0x00, 0x00, 0xF8, 0xA3, 0xE6, 0x40}},
        {"U1_Sampling[0]", 50, {0x34, 0x12}},
        {"U1_Sampling[2304000]", 4'608'050, {0xFE, 0xFF}},
        {"I1_Sampling[0]", 4'608'052, {0x0B, 0x0A}},
        {"Point_Start", 9'216'054, {0x44, 0x33, 0x22, 0x11}},
        {"End_Point", 9'216'058, {0x0A, 0x09, 0x08, 0x07}},
        {"Display_Number", 9'216'062, {0x66, 0x55}},
    };
    for (const Placement& p : placements) {
        auto start = file.begin() + static_cast<std::ptrdiff_t>(p.offset);
        EXPECT_EQ(Bytes(start, start + static_cast<std::ptrdiff_t>(p.bytes.size())), p.bytes)
            << p.field << " at " << p.offset;
    }
}

TEST_F(RecordFileTest, SavingTheSameElementTwiceGivesIdenticalFiles) {
    auto element = patterned(4);
    fs::path other = folder_ / "Copy.vtr";
    writeRecordFile(path_.string(), *element);
    writeRecordFile(other.string(), *element);
    EXPECT_TRUE(sameBytes(fileBytes(path_), fileBytes(other)));
}

TEST_F(RecordFileTest, LongerFileGivesItsFirstImage) {
    auto written = patterned(5);
    Bytes content(imageOf(*written).begin(), imageOf(*written).end());
    content.resize(ImageSize + 64, 0xEE);
    putFileBytes(path_, content);

    auto opened = patterned(6);
    readRecordFile(path_.string(), *opened);
    EXPECT_TRUE(sameBytes(imageOf(*opened), imageOf(*written)));
}

class RecordFileReadFailure : public RecordFileTest,
                              public testing::WithParamInterface<ReadFailureCase> {};

TEST_P(RecordFileReadFailure, ThrowsNamingTheFileAndKeepsTheElement) {
    const ReadFailureCase& c = GetParam();
    c.prepare(path_);
    auto element = patterned(7);
    const Bytes before(imageOf(*element).begin(), imageOf(*element).end());

    try {
        readRecordFile(path_.string(), *element);
        ADD_FAILURE() << "no FileError";
    } catch (const FileError& error) {
        std::string message = error.what();
        EXPECT_THAT(message, HasSubstr(path_.string()));
        message.erase(message.find(path_.string()), path_.string().size());
        for (const std::string& mention : c.mentions)
            EXPECT_THAT(message, HasSubstr(mention));
    }
    EXPECT_TRUE(sameBytes(imageOf(*element), before));
}

INSTANTIATE_TEST_SUITE_P(
    Unreadable, RecordFileReadFailure,
    testing::Values(ReadFailureCase{"missing file", [](const fs::path&) {}, {}},
                    ReadFailureCase{"folder in place of the file",
                                    [](const fs::path& path) { fs::create_directory(path); },
                                    {}},
                    // A sparse file: all zeros, unlike the element it must not overwrite.
                    ReadFailureCase{"one byte short",
                                    [](const fs::path& path) {
                                        putFileBytes(path, Bytes{});
                                        fs::resize_file(path, ImageSize - 1);
                                    },
                                    {"9216064", "9216063"}}));

TEST_F(RecordFileTest, FailedSaveKeepsTheOldFile) {
    const Bytes old = {'o', 'l', 'd'};
    putFileBytes(path_, old);
    {
        FileSizeLimit limit(1 << 20); // the save breaks down after its first megabyte
        EXPECT_THAT([&] { writeRecordFile(path_.string(), *patterned(8)); },
                    testing::ThrowsMessage<FileError>(HasSubstr(path_.string())));
    }
    EXPECT_EQ(fileBytes(path_), old);
    EXPECT_EQ(folderEntries(folder_.path()), (std::set<std::string>{"RecordFile.vtr"}));
}

} // namespace
