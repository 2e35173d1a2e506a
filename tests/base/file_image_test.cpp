#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/file_image.h"
#include "base/temporary_folder.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using testing::HasSubstr;

// --- withExtension ---

struct ExtensionCase {
    const char* name;
    const char* extension;
    const char* expected;
};

void PrintTo(const ExtensionCase& c, std::ostream* out) {
    *out << '"' << c.name << "\" + \"" << c.extension << '"';
}

class WithExtension : public testing::TestWithParam<ExtensionCase> {};

TEST_P(WithExtension, AppendsTheExtensionUnlessTheNameEndsWithIt) {
    const ExtensionCase& c = GetParam();
    EXPECT_EQ(withExtension(c.name, c.extension), c.expected);
}

INSTANTIATE_TEST_SUITE_P(ExtensionNames, WithExtension,
                         testing::Values(ExtensionCase{"run.vtr", ".vtr", "run.vtr"},
                                         ExtensionCase{"run.Vtr", ".vtr", "run.Vtr"},
                                         ExtensionCase{"run.VTR", ".vtr", "run.VTR"},
                                         ExtensionCase{".vtr", ".vtr", ".vtr"},
                                         ExtensionCase{"run", ".vtr", "run.vtr"},
                                         ExtensionCase{"x.vtrx", ".vtr", "x.vtrx.vtr"},
                                         ExtensionCase{"xvtr", ".vtr", "xvtr.vtr"},
                                         ExtensionCase{"a.vtr.bak", ".vtr", "a.vtr.bak.vtr"},
                                         ExtensionCase{"run.vtm", ".vtr", "run.vtm.vtr"},
                                         ExtensionCase{"ab", ".vtr", "ab.vtr"},
                                         ExtensionCase{"", ".vtr", ".vtr"},
                                         ExtensionCase{"table", ".CSV", "table.csv"},
                                         ExtensionCase{"table.Csv", ".CSV", "table.Csv"}));

// --- reading ---

// The message with the file's name taken out, so numbers are not found inside the name.
std::string withoutPath(std::string message, const std::string& path) {
    if (auto at = message.find(path); at != std::string::npos)
        message.erase(at, path.size());
    return message;
}

class FileImageTest : public testing::Test {
protected:
    TemporaryFolder folder_;
};

struct ReadFailureCase {
    const char* what;
    std::function<void(const fs::path&)> prepare; // leaves the thing that cannot be read
    std::vector<std::string> mentions;            // besides the file's name
};

void PrintTo(const ReadFailureCase& c, std::ostream* out) {
    *out << c.what;
}

class FileImageReadFailure : public FileImageTest,
                             public testing::WithParamInterface<ReadFailureCase> {};

constexpr std::size_t ImageSize = 300;

TEST_P(FileImageReadFailure, ThrowsNamingTheFileAndLeavesTheTargetAlone) {
    const ReadFailureCase& c = GetParam();
    fs::path path = folder_ / "image.bin";
    c.prepare(path);
    std::array<std::byte, ImageSize> target;
    target.fill(std::byte{0x5A});
    const std::array<std::byte, ImageSize> before = target;

    try {
        readFileImage(path.string(), target);
        ADD_FAILURE() << "no FileError";
    } catch (const FileError& error) {
        EXPECT_THAT(error.what(), HasSubstr(path.string()));
        for (const std::string& mention : c.mentions)
            EXPECT_THAT(withoutPath(error.what(), path.string()), HasSubstr(mention));
    }
    EXPECT_EQ(target, before);
}

INSTANTIATE_TEST_SUITE_P(
    Unreadable, FileImageReadFailure,
    testing::Values(ReadFailureCase{"missing file", [](const fs::path&) {}, {}},
                    ReadFailureCase{"folder in place of the file",
                                    [](const fs::path& path) { fs::create_directory(path); },
                                    {}},
                    ReadFailureCase{"empty file",
                                    [](const fs::path& path) { putFileBytes(path, Bytes{}); },
                                    {"300", " 0 "}},
                    ReadFailureCase{"one byte short",
                                    [](const fs::path& path) {
                                        putFileBytes(path, Bytes(ImageSize - 1, 0xC3));
                                    },
                                    {"300", "299"}}));

TEST_F(FileImageTest, LongerFileGivesItsFirstBytes) {
    Bytes content(ImageSize + 100);
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<unsigned char>(i * 7 + 1);
    putFileBytes(folder_ / "image.bin", content);

    std::array<unsigned char, ImageSize> target{};
    readFileImage((folder_ / "image.bin").string(), std::as_writable_bytes(std::span(target)));
    EXPECT_TRUE(std::equal(target.begin(), target.end(), content.begin()));
}

// --- writing ---

std::span<const std::byte> asBytes(const Bytes& bytes) {
    return std::as_bytes(std::span(bytes));
}

const Bytes NewContent = {'n', 'e', 'w', 0x00, 0xFF, 0x0D, 0x0A, 0x1A};
const Bytes OldContent(100, 'o');

TEST_F(FileImageTest, WriteCreatesTheFileAndLeavesNothingElse) {
    fs::path path = folder_ / "image.bin";
    writeFileAtomically(path.string(), asBytes(NewContent));
    EXPECT_EQ(fileBytes(path), NewContent);
    EXPECT_EQ(folderEntries(folder_.path()), (std::set<std::string>{"image.bin"}));
}

TEST_F(FileImageTest, WriteReplacesTheWholeOfALongerFile) {
    fs::path path = folder_ / "image.bin";
    putFileBytes(path, OldContent);
    writeFileAtomically(path.string(), asBytes(NewContent));
    EXPECT_EQ(fileBytes(path), NewContent);
    EXPECT_EQ(folderEntries(folder_.path()), (std::set<std::string>{"image.bin"}));
}

TEST_F(FileImageTest, WriteKeepsThePermissionBitsOfTheOldFile) {
    // Group bits taken away and an "others" bit added, unlike what any usual umask gives.
    constexpr auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read |
                          fs::perms::others_write;
    fs::path path = folder_ / "image.bin";
    putFileBytes(path, OldContent);
    fs::permissions(path, mode);
    writeFileAtomically(path.string(), asBytes(NewContent));
    EXPECT_EQ(fileBytes(path), NewContent);
    EXPECT_EQ(fs::status(path).permissions(), mode);
}

struct LinkCase {
    const char* what;
    std::vector<std::pair<fs::path, fs::path>> links; // link, then its text; written via the first
    bool realFileExists;                              // folder_/data/real.bin
};

void PrintTo(const LinkCase& c, std::ostream* out) {
    *out << c.what;
}

class FileImageLinkedWrite : public FileImageTest, public testing::WithParamInterface<LinkCase> {};

TEST_P(FileImageLinkedWrite, ReplacesTheLinkedFileAndKeepsTheLinks) {
    const LinkCase& c = GetParam();
    fs::create_directory(folder_ / "data");
    fs::create_directory(folder_ / "links");
    fs::path real = folder_ / "data" / "real.bin";
    if (c.realFileExists)
        putFileBytes(real, OldContent);
    std::set<std::string> linkNames;
    for (const auto& [link, text] : c.links) {
        fs::create_symlink(text, folder_ / link);
        linkNames.insert(link.filename().string());
    }

    writeFileAtomically((folder_ / c.links.front().first).string(), asBytes(NewContent));

    for (const auto& [link, text] : c.links) {
        EXPECT_TRUE(fs::is_symlink(folder_ / link)) << link;
        EXPECT_EQ(fs::read_symlink(folder_ / link), text);
    }
    EXPECT_EQ(fileBytes(real), NewContent);
    EXPECT_EQ(folderEntries(folder_ / "data"), (std::set<std::string>{"real.bin"}));
    EXPECT_EQ(folderEntries(folder_ / "links"), linkNames);
}

INSTANTIATE_TEST_SUITE_P(
    SymbolicLinks, FileImageLinkedWrite,
    testing::Values(
        LinkCase{"link into another folder", {{"links/a.bin", "../data/real.bin"}}, true},
        LinkCase{"link to a file not there yet", {{"links/a.bin", "../data/real.bin"}}, false},
        LinkCase{"link to a link",
                 {{"links/a.bin", "b.bin"}, {"links/b.bin", "../data/real.bin"}},
                 true}));

TEST_F(FileImageTest, WriteIntoAMissingFolderThrowsNamingTheFile) {
    fs::path path = folder_ / "gone" / "image.bin";
    EXPECT_THAT([&] { writeFileAtomically(path.string(), asBytes(NewContent)); },
                testing::ThrowsMessage<FileError>(HasSubstr(path.string())));
    EXPECT_TRUE(folderEntries(folder_.path()).empty());
}

// A write that breaks down halfway must neither have touched the old file nor leave its
// temporary file behind.
TEST_F(FileImageTest, WriteFailingHalfwayKeepsTheOldFile) {
    fs::path path = folder_ / "image.bin";
    putFileBytes(path, OldContent);
    Bytes large(4096, 0xAB);
    {
        FileSizeLimit limit(1000);
        EXPECT_THAT([&] { writeFileAtomically(path.string(), asBytes(large)); },
                    testing::ThrowsMessage<FileError>(HasSubstr(path.string())));
    }
    EXPECT_EQ(fileBytes(path), OldContent);
    EXPECT_EQ(folderEntries(folder_.path()), (std::set<std::string>{"image.bin"}));
}

TEST_F(FileImageTest, WriteOverAFolderThrowsAndLeavesTheFolderAlone) {
    fs::path path = folder_ / "image.bin";
    fs::create_directory(path);
    putFileBytes(path / "inside", OldContent);
    EXPECT_THAT([&] { writeFileAtomically(path.string(), asBytes(NewContent)); },
                testing::ThrowsMessage<FileError>(HasSubstr(path.string())));
    EXPECT_EQ(fileBytes(path / "inside"), OldContent);
    EXPECT_EQ(folderEntries(folder_.path()), (std::set<std::string>{"image.bin"}));
}

} // namespace
