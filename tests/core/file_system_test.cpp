#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/file_system.h"
#include "platform/run_time_error.h"
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

void AppendLines(const std::string& path, const std::vector<std::string>& lines) {
    TextAppendStream stream = FileSystemService().OpenTextFileForAppending(path);
    for (const std::string& line : lines) {
        stream.WriteLine(line);
    }
    stream.Close();
}

template <class Operation>
std::int32_t ErrorNumberOf(Operation&& operation) {
    try {
        operation();
    } catch (const RunTimeError& error) {
        return error.number();
    }
    return 0;
}

// --- Windows-style name lookup ----------------------------------------------------------

TEST(NameLookup, FindsAFileWhateverTheLetterCaseAndTrailingBlanksAndDots) {
    TempFolder folder;
    const std::string onDisk = folder.Write("SHEET.TIF", "x");
    const FileSystemService files;
    EXPECT_EQ(files.ResolveOnDisk(folder / "sheet.tif"), onDisk);
    EXPECT_EQ(files.ResolveOnDisk(folder / "sheet.tif. "), onDisk);
    EXPECT_EQ(files.ResolveOnDisk(folder / "Sheet.Tif..."), onDisk);
    EXPECT_TRUE(files.FileExists(folder / "sheet.tif"));
    EXPECT_EQ(ReadBytes(files.ResolveOnDisk(folder / "sheet.TIF ")), "x");
    EXPECT_FALSE(files.FileExists(folder / "sheet.ti"));
}

TEST(NameLookup, ResolvesFolderComponentsAndPolishLettersInOtherCase) {
    TempFolder folder;
    const std::string onDisk = folder.Write("MAPY/ŁÓDŹ/Arkusz ŚĄŻ.tfw", "x");
    const FileSystemService files;
    EXPECT_EQ(files.ResolveOnDisk(folder / "mapy/łódź/arkusz śąż.tfw"), onDisk);
    EXPECT_TRUE(files.FolderExists(folder / "Mapy/łÓdŹ"));
    // Only letters fold: a different letter, or a letter with a different accent, is another name.
    EXPECT_FALSE(files.FileExists(folder / "mapy/lodz/arkusz śąż.tfw"));
}

TEST(NameLookup, ResolvesRelativePaths) {
    TempFolder folder;
    const std::string onDisk = folder.Write("Data/SHEET.TFW", "x");
    const fs::path previous = fs::current_path();
    fs::current_path(folder.path());
    const std::string resolved = FileSystemService().ResolveOnDisk("data/sheet.tfw");
    fs::current_path(previous);
    EXPECT_EQ(resolved, "Data/SHEET.TFW");
}

TEST(NameLookup, PrefersTheExactSpellingThenTheFirstInSortedOrder) {
    TempFolder folder;
    folder.Write("Sheet.tif", "mixed");
    folder.Write("sheet.tif", "lower");
    folder.Write("SHEET.TIF", "upper");
    const FileSystemService files;
    EXPECT_EQ(files.ResolveOnDisk(folder / "sheet.tif"), folder / "sheet.tif");
    EXPECT_EQ(files.ResolveOnDisk(folder / "Sheet.tif "), folder / "Sheet.tif");
    EXPECT_EQ(files.ResolveOnDisk(folder / "sHEET.tif"), folder / "SHEET.TIF");
}

TEST(NameLookup, KeepsTheDerivedSpellingOfWhatDoesNotExist) {
    TempFolder folder;
    folder.MakeFolder("OUT");
    const FileSystemService files;
    EXPECT_EQ(files.ResolveOnDisk(folder / "out/New.tfw"), folder / "OUT/New.tfw");
    EXPECT_EQ(files.ResolveOnDisk(folder / "missing/Sub/New.tfw"), folder / "missing/Sub/New.tfw");
    EXPECT_EQ(files.ResolveOnDisk(""), "");

    AppendLines(folder / "out/New.tfw", {"1"});
    EXPECT_EQ(ReadBytes(folder / "OUT/New.tfw"), "1\r\n");
}

TEST(NameLookup, DoesNotLookIntoFilesOrFollowMoreThanThePathsComponents) {
    TempFolder folder;
    folder.Write("a.tif", "x");
    const FileSystemService files;
    EXPECT_EQ(files.ResolveOnDisk(folder / "A.TIF/b"), folder / "a.tif/b");
    EXPECT_EQ(files.ResolveOnDisk(folder / "./x/../A.tif"), folder / "./x/../A.tif");
    EXPECT_FALSE(files.FileExists(folder / "..."));
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

TEST(TextFiles, WriteWindows1250LinesEndedByCrLfAfterWhatIsThere) {
    TempFolder folder;
    const std::string path = folder.Write("a.tab", "old\r\n");
    AppendLines(path, {"Łódź", "", "x"});
    EXPECT_EQ(ReadBytes(path), "old\r\n\xA3\xF3\x64\x9F\r\n\r\nx\r\n");
    EXPECT_THAT(ReadLines(path), ::testing::ElementsAre("old", "Łódź", "", "x"));
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
    EXPECT_EQ(ErrorNumberOf([&] { files.OpenTextFileForAppending(folder / "none/a"); }),
              err::FileNotFound);
    const std::string fifo = folder / "pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    EXPECT_EQ(ErrorNumberOf([&] { files.OpenTextFileForReading(fifo); }), err::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files.OpenTextFileForAppending(fifo); }),
              err::PathFileAccessError);

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

TEST(Files, DeleteEvenReadOnlyFilesButNothingMissing) {
    TempFolder folder;
    const FileSystemService files;
    const std::string file = folder.Write("A.TFW", "x");
    test::MakeReadOnly(file);
    files.DeleteFile(folder / "a.tfw");
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(ErrorNumberOf([&] { files.DeleteFile(file); }), err::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files.DeleteFile(folder.path()); }), err::FileNotFound);
}

TEST(Files, CopyReplacesATargetOnlyWhenAllowed) {
    TempFolder folder;
    const FileSystemService files;
    const std::string source = folder.Write("in/Sheet.tif", "new");
    const std::string target = folder.Write("out/SHEET.TIF", "old");
    EXPECT_EQ(ErrorNumberOf([&] { files.CopyFile(source, folder / "out/sheet.tif", false); }),
              err::PathFileAccessError);
    EXPECT_EQ(ReadBytes(target), "old");
    files.CopyFile(folder / "IN/sheet.tif", folder / "out/sheet.tif", true);
    EXPECT_EQ(ReadBytes(target), "new");
    files.CopyFile(source, folder / "out/Copy.tif", false);
    EXPECT_EQ(ReadBytes(folder / "out/Copy.tif"), "new");
    EXPECT_EQ(ErrorNumberOf([&] { files.CopyFile(folder / "none", target, true); }),
              err::FileNotFound);
    EXPECT_EQ(ErrorNumberOf([&] { files.CopyFile(source, folder / "none/x.tif", true); }),
              err::FileNotFound);
}

}  // namespace
}  // namespace marlo
