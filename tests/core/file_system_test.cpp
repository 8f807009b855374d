#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/failures.h"
#include "platform/file_system.h"
#include "support/failures.h"
#include "support/temp_folder.h"

namespace marlo {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;

std::vector<std::string> ReadLines(const std::string& path) {
    TextReadStream stream = FileSystemService().OpenTextFileForReading(path);
    std::vector<std::string> lines;
    while (!stream.AtEndOfStream()) {
        lines.push_back(stream.ReadLine());
    }
    return lines;
}

void WriteLines(const std::string& path, const std::vector<std::string>& lines) {
    FileSystemService().WriteTextFile(path, lines);
}

using test::ErrorNumberOf;

// --- Windows-style name lookup ----------------------------------------------------------

// Inputs only: a path not found as spelled is looked up component by component, letters in
// any case and trailing blanks and dots ignored, when exactly one entry matches.
TEST(NameLookup, FindsAnInputWhenExactlyOneEntryMatches) {
    TempFolder folder;
    const std::string sheet = folder.Write("SHEET.TIF", "x");
    const std::string polish = folder.Write("MAPY/ŁÓDŹ/Arkusz ŚĄŻ.tfw", "x");
    folder.Write("Pair.tif", "");
    folder.Write("PAIR.tif", "");
    const std::string exact = folder.Write("pair.tif", "");
    folder.MakeFolder("OUT");
    const FileSystemService files;
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {folder / "sheet.tif", sheet},
        {folder / "Sheet.Tif. ", sheet},
        {folder / "mapy/łódź/arkusz śąż.tfw", polish},
        {folder / "mapy/lodz/arkusz śąż.tfw", std::nullopt},  // another letter is another name
        {folder / "pair.tif", exact},                         // the exact name wins
        {folder / "pAIR.tif", std::nullopt},                  // three candidates: none is meant
        {folder / "out", std::nullopt},                       // a folder is no input file
        {folder / "SHEET.TIF/b", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& [asked, found] : cases) {
        EXPECT_EQ(files.FindInput(asked), found) << asked;
    }
    // Everything else takes names exactly: a file that differs in case is another file.
    EXPECT_FALSE(files.FileExists(folder / "sheet.tif"));
    EXPECT_FALSE(files.FolderExists(folder / "out"));
}

TEST(NameLookup, FindsRelativePaths) {
    TempFolder folder;
    folder.Write("Data/SHEET.TFW", "x");
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    const auto found = FileSystemService().FindInput("data/sheet.tfw");
    fs::current_path(previous);
    EXPECT_EQ(found, std::optional<std::string>("Data/SHEET.TFW"));
}

// --- Text encoding ---------------------------------------------------------------------------

// What the C library's own Windows-1250 converter makes of one byte ("" where it has none).
std::string SystemDecode(unsigned char byte) {
    iconv_t converter = iconv_open("UTF-8", "CP1250");
    if (converter == reinterpret_cast<iconv_t>(-1)) {
        return "no converter";
    }
    char in[1] = {static_cast<char>(byte)};
    char out[8] = {};
    char* inPointer = in;
    char* outPointer = out;
    std::size_t inLeft = 1;
    std::size_t outLeft = sizeof(out);
    const bool converted = iconv(converter, &inPointer, &inLeft, &outPointer, &outLeft) == 0;
    iconv_close(converter);
    return converted ? std::string(out, outPointer) : std::string();
}

TEST(TextEncoding, DecodesEveryDefinedWindows1250ByteAsTheSystemDoes) {
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string expected = SystemDecode(static_cast<unsigned char>(byte));
        if (expected.empty()) {
            continue;  // One of the five bytes the code page leaves undefined.
        }
        const std::string single(1, static_cast<char>(byte));
        EXPECT_EQ(DecodeAnsiText(single), expected) << "byte " << byte;
        EXPECT_EQ(EncodeAnsiText(expected), single) << "byte " << byte;
    }
}

TEST(TextEncoding, KeepsUndefinedBytesThroughARoundTrip) {
    const std::string undefined = "\x81\x83\x88\x90\x98";
    EXPECT_EQ(DecodeAnsiText(undefined), "\u0081\u0083\u0088\u0090\u0098");
    EXPECT_EQ(EncodeAnsiText(DecodeAnsiText(undefined)), undefined);
}

TEST(TextEncoding, TakesValidUtf8AsUtf8AndEverythingElseAsWindows1250) {
    EXPECT_EQ(DecodeAnsiText("Łódź"), "Łódź");
    EXPECT_EQ(DecodeAnsiText("\xEF\xBB\xBFŁódź"), "Łódź");
    EXPECT_EQ(DecodeAnsiText("\xA3\xF3\x64\x9F"), "Łódź");
    // One Windows-1250 byte among UTF-8 makes the whole text Windows-1250.
    EXPECT_EQ(DecodeAnsiText("Ł \xB3"), "Ĺ\u0081 ł");
    EXPECT_EQ(DecodeAnsiText("plain ASCII"), "plain ASCII");
    // Overlong forms and encoded surrogates are not UTF-8.
    EXPECT_EQ(DecodeAnsiText("\xC0\xAF"), "ŔŻ");
    EXPECT_EQ(DecodeAnsiText("\xED\xA0\x80"), "í\u00A0\u20AC");
}

TEST(TextEncoding, EncodesToWindows1250WithQuestionMarksForTheRest) {
    EXPECT_EQ(EncodeAnsiText("Zażółć gęślą jaźń"),
              "Za\xBF\xF3\xB3\xE6 g\xEA\x9C\x6C\xB9 ja\x9F\xF1");
    EXPECT_EQ(EncodeAnsiText("€ 日本 😀"), "\x80 ?? ?");
    EXPECT_EQ(EncodeAnsiText("a\xFF"
                             "b\xC5"),
              "a?b?");
    EXPECT_EQ(EncodeAnsiText("\xE2\x82"), "??");
}

TEST(TextFiles, ReadEveryLineEndAndALastLineWithoutOne) {
    TempFolder folder;
    EXPECT_THAT(ReadLines(folder.Write("a.txt", "one\r\ntwo\nthree\rfour")),
                ::testing::ElementsAre("one", "two", "three", "four"));
    EXPECT_THAT(ReadLines(folder.Write("b.txt", "one\r\n\r\n\n")),
                ::testing::ElementsAre("one", "", ""));
    EXPECT_THAT(ReadLines(folder.Write("c.txt", "")), ::testing::IsEmpty());
    EXPECT_THAT(ReadLines(folder.Write("d.txt", "\xA3\xF3\x64\x9F\r\n\xEF\xBB\xBF")),
                ::testing::ElementsAre("Łódź", "ď»ż"));
    EXPECT_THAT(ReadLines(folder.Write("e.txt",
                                       "\xEF\xBB\xBF\xC5\x81\xC3\xB3"
                                       "d\xC5\xBA\n")),
                ::testing::ElementsAre("Łódź"));
}

// The new content replaces the old one whole; a link in the output's place is replaced, never
// followed; nothing else is left in the folder.
TEST(TextFiles, WriteWindows1250LinesEndedByCrLfInPlaceOfWhatIsThere) {
    TempFolder folder;
    const std::string path = folder.Write("a.tab", "old\r\nlonger than the new one\r\n");
    const std::string elsewhere = folder.Write("elsewhere.tab", "kept");
    const std::string link = folder / "b.tab";
    fs::create_symlink(elsewhere, link);
    WriteLines(path, {"Łódź", "", "x"});
    WriteLines(link, {"y"});
    EXPECT_EQ(ReadBytes(path), "\xA3\xF3\x64\x9F\r\n\r\nx\r\n");
    EXPECT_THAT(ReadLines(path), ::testing::ElementsAre("Łódź", "", "x"));
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(ReadBytes(link), "y\r\n");
    EXPECT_EQ(ReadBytes(elsewhere), "kept");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 3);
}

TEST(TextFiles, ReadingPastTheEndIsARunTimeError) {
    TempFolder folder;
    TextReadStream stream = FileSystemService().OpenTextFileForReading(folder.Write("a", "1"));
    EXPECT_EQ(stream.ReadLine(), "1");
    EXPECT_EQ(ErrorNumberOf([&] { stream.ReadLine(); }), err::InputPastEndOfFile);
}

TEST(TextFiles, RefuseMissingFilesFoldersPipesAndHugeFiles) {
    TempFolder folder;
    const FileSystemService files;
    EXPECT_EQ(ErrorNumberOf([&] { files.OpenTextFileForReading(folder / "none"); }),
              err::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files.OpenTextFileForReading(folder.path()); }),
              err::PathFileAccessError);
    EXPECT_EQ(ErrorNumberOf([&] { files.WriteTextFile(folder / "none/a", {"1"}); }),
              err::FileNotFound);
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_EQ(ErrorNumberOf([&] { files.OpenTextFileForReading(fifo); }), err::FileNotFound);

    const std::string huge = folder.Write("huge.tfw", "");
    fs::resize_file(huge, kMaxTextFileSize + 1);  // Sparse: takes no room on disk.
    EXPECT_EQ(ErrorNumberOf([&] { files.OpenTextFileForReading(huge); }), err::PathFileAccessError);
}

// --- Attributes, deleting, copying ---------------------------------------------------------

TEST(Attributes, MapFoldersFilesAndOtherEntries) {
    TempFolder folder;
    const FileSystemService files;
    const std::string sub = folder.MakeFolder("sub");
    const std::string file = folder.Write("a.tif", "x");
    EXPECT_EQ(files.FolderAttributes(sub), attr::Directory);
    EXPECT_EQ(files.FileAttributes(file), attr::Archive);
    test::MakeReadOnly(sub);
    test::MakeReadOnly(file);
    EXPECT_EQ(files.FolderAttributes(sub), attr::Directory | attr::ReadOnly);
    EXPECT_EQ(files.FileAttributes(file), attr::Archive | attr::ReadOnly);
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_EQ(files.FileAttributes(fifo), attr::System);

    EXPECT_EQ(ErrorNumberOf([&] { files.FileAttributes(folder / "none"); }), err::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files.FileAttributes(sub); }), err::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files.FolderAttributes(file); }), err::FileNotFound);
    EXPECT_FALSE(files.FolderExists(""));
    EXPECT_FALSE(files.FileExists(""));
    EXPECT_FALSE(files.FolderExists(file));
    EXPECT_FALSE(files.FileExists(sub));
}

TEST(Attributes, ArchiveMakesAFileWritableByItsOwnerAndKeepsTheRest) {
    TempFolder folder;
    const FileSystemService files;
    const std::string file = folder.Write("a.tif", "x");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_TRUE(files.SetAttributes(file, attr::Archive));
    EXPECT_EQ(fs::status(file).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(files.FileAttributes(file), attr::Archive);
    EXPECT_TRUE(files.SetAttributes(file, attr::Archive | attr::ReadOnly));
    EXPECT_EQ(files.FileAttributes(file), attr::Archive | attr::ReadOnly);
    EXPECT_FALSE(files.SetAttributes(folder / "none", attr::Archive));
}

}  // namespace
}  // namespace marlo
