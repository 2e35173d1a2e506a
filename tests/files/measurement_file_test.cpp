#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "base/file_image.h"
#include "base/read_failure_case.h"
#include "base/temporary_folder.h"
#include "files/measurement_file.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using testing::HasSubstr;

constexpr std::size_t ImageSize = 2564;

// Every byte different from its neighbours, so a field read from a shifted offset or a byte
// left out shows.
SamplingDataType patterned(unsigned seed) {
    SamplingDataType measurement{};
    auto bytes = recordBytes(measurement);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::byte>(i * 131 + (i >> 8) + seed);
    return measurement;
}

Bytes imageOf(const SamplingDataType& measurement) {
    auto bytes = recordBytes(measurement);
    return Bytes(reinterpret_cast<const unsigned char*>(bytes.data()),
                 reinterpret_cast<const unsigned char*>(bytes.data()) + bytes.size());
}

class MeasurementFileTest : public testing::Test {
protected:
    TemporaryFolder folder_;
    fs::path path_ = folder_ / "TestFile.vtm";
};

TEST_F(MeasurementFileTest, SaveThenOpenGivesBackEveryByte) {
    SamplingDataType saved = patterned(1);
    saved.TestTime = 46367.75;
    writeMeasurementFile(path_.string(), saved);

    SamplingDataType opened = patterned(2);
    readMeasurementFile(path_.string(), opened);
    EXPECT_EQ(imageOf(opened), imageOf(saved));
    EXPECT_EQ(opened.TestTime, 46367.75);
}

struct Placement {
    const char* field;
    std::size_t offset;
    Bytes bytes; // least significant first
};

TEST_F(MeasurementFileTest, FileIsTheLittleEndianImageWithFieldsInPlace) {
    SamplingDataType measurement = patterned(3);
    measurement.U_rms = -2.5F;
    measurement.dTime = 0x01020304;
    measurement.Error_code = 0x81;
    measurement.SamplingNumber = 512;
    measurement.u_Sampling[0] = 0x1234;
    measurement.i_Sampling[511] = -2;
    measurement.ZVol[0] = 1.5F;
    measurement.ZAmp[50] = 0.25F;
    measurement.TestTime = 46367.75;
    writeMeasurementFile(path_.string(), measurement);

    Bytes file = fileBytes(path_);
    ASSERT_EQ(file.size(), ImageSize);
    const Placement placements[] = {
        {"U_rms", 0, {0x00, 0x00, 0x20, 0xC0}},
        {"dTime", 76, {0x04, 0x03, 0x02, 0x01}},
        {"Error_code", 87, {0x81}},
        {"SamplingNumber", 88, {0x00, 0x02}},
        {"u_Sampling[0]", 100, {0x34, 0x12}},
        {"i_Sampling[511]", 2146, {0xFE, 0xFF}},
        {"ZVol[0]", 2148, {0x00, 0x00, 0xC0, 0x3F}},
        {"ZAmp[50]", 2552, {0x00, 0x00, 0x80, 0x3E}},
        {"TestTime", 2556, {0x00, 0x00, 0x00, 0x00, 0xF8, 0xA3, 0xE6, 0x40}},
    };
    for (const Placement& p : placements) {
        auto start = file.begin() + static_cast<std::ptrdiff_t>(p.offset);
        EXPECT_EQ(Bytes(start, start + static_cast<std::ptrdiff_t>(p.bytes.size())), p.bytes)
            << p.field << " at " << p.offset;
    }
}

TEST_F(MeasurementFileTest, SavingTheSameMeasurementTwiceGivesIdenticalFiles) {
    SamplingDataType measurement = patterned(4);
    fs::path other = folder_ / "Copy.vtm";
    writeMeasurementFile(path_.string(), measurement);
    writeMeasurementFile(other.string(), measurement);
    EXPECT_EQ(fileBytes(path_), fileBytes(other));
    EXPECT_EQ(fileBytes(path_), imageOf(measurement));
}

TEST_F(MeasurementFileTest, LongerFileGivesItsFirstImage) {
    Bytes content = imageOf(patterned(5));
    content.resize(3000, 0xEE);
    putFileBytes(path_, content);

    SamplingDataType opened = patterned(6);
    readMeasurementFile(path_.string(), opened);
    EXPECT_EQ(imageOf(opened), Bytes(content.begin(), content.begin() + ImageSize));
}

class MeasurementFileReadFailure : public MeasurementFileTest,
                                   public testing::WithParamInterface<ReadFailureCase> {};

TEST_P(MeasurementFileReadFailure, ThrowsNamingTheFileAndKeepsTheMeasurement) {
    const ReadFailureCase& c = GetParam();
    c.prepare(path_);
    SamplingDataType measurement = patterned(7);
    const Bytes before = imageOf(measurement);

    try {
        readMeasurementFile(path_.string(), measurement);
        ADD_FAILURE() << "no FileError";
    } catch (const FileError& error) {
        std::string message = error.what();
        EXPECT_THAT(message, HasSubstr(path_.string()));
        message.erase(message.find(path_.string()), path_.string().size());
        for (const std::string& mention : c.mentions)
            EXPECT_THAT(message, HasSubstr(mention));
    }
    EXPECT_EQ(imageOf(measurement), before);
}

INSTANTIATE_TEST_SUITE_P(
    Unreadable, MeasurementFileReadFailure,
    testing::Values(ReadFailureCase{"missing file", [](const fs::path&) {}, {}},
                    ReadFailureCase{"folder in place of the file",
                                    [](const fs::path& path) { fs::create_directory(path); },
                                    {}},
                    ReadFailureCase{"one byte short",
                                    [](const fs::path& path) {
                                        Bytes image = imageOf(patterned(8));
                                        image.pop_back();
                                        putFileBytes(path, image);
                                    },
                                    {"2564", "2563"}}));

TEST_F(MeasurementFileTest, FailedSaveKeepsTheOldFile) {
    writeMeasurementFile(path_.string(), patterned(9));
    const Bytes old = fileBytes(path_);
    {
        FileSizeLimit limit(1000); // the save breaks down after 1000 of its 2564 bytes
        EXPECT_THAT([&] { writeMeasurementFile(path_.string(), patterned(10)); },
                    testing::ThrowsMessage<FileError>(HasSubstr(path_.string())));
    }
    EXPECT_EQ(fileBytes(path_), old);
    EXPECT_EQ(folderEntries(folder_.path()), (std::set<std::string>{"TestFile.vtm"}));
}

} // namespace
