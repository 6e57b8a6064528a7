#include "lines/list_file.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <random>
#include <thread>

#include "common/error.h"
#include "lines/file_encoding.h"
#include "pane_save.h"
#include "temp_folder.h"

namespace quill {
namespace {

using namespace std::string_literals;
using testing_files::namesIn;
using testing_files::readFile;
using testing_files::TempFolder;
using testing_files::writeFile;

TEST(TransferIntoPane, BreaksBecomeCrLf) {
    struct Case {
        std::string file;
        std::size_t pieceSize;  // half of it is read per piece
        std::string pane;
    };
    const Case cases[] = {
        {"", 8, ""},
        {"1\n2\n", 8, "1\r\n2\r\n"},
        {"1\r2", 8, "1\r\n2"},
        {"1\r\n2\r\n", 8, "1\r\n2\r\n"},
        {"\r\r\n\n", 64, "\r\n\r\n\r\n"},
        {"\xff\xfe\x01\x7f=", 8, "\xff\xfe\x01\x7f="},
        // A CR LF split between pieces is one break; a lone CR ending a piece is still one.
        {"12\r\n34", 6, "12\r\n34"},
        {"12\r34\r", 6, "12\r\n34\r\n"},
        {"1\r\n\r2\n\r", 2, "1\r\n\r\n2\r\n\r\n"},
        {"1\r\r\r\n", 3, "1\r\n\r\n\r\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(transferIntoPane(c.file, c.pieceSize), c.pane)
            << ::testing::PrintToString(c.file) << " in pieces of " << c.pieceSize / 2;
}

// Where the pieces split must not matter: not to the text, nor to the line
// a NUL byte is reported on.
TEST(TransferIntoPane, PieceSizeDoesNotChangeTheTextOrTheNulLine) {
    std::mt19937 random(11);
    const char bytes[] = {'\r', '\n', 'a', '5', '\r', '\n', '\x80', '\0'};
    for (int round = 0; round < 500; ++round) {
        std::string file;
        // Now and then long and mostly pane text already, which is taken in
        // sixteen bytes at a time.
        const bool crLf = round % 5 == 0;
        for (int n = random() % (crLf ? 1000 : 40); n > 0; --n) {
            file += crLf && random() % 3 ? "7\r\n" : std::string(1, bytes[random() % (round % 2 ? sizeof bytes : 7)]);
        }
        std::string whole;  // every CR LF, CR or LF becomes CR LF
        int line = 1, nulLine = 0;
        for (std::size_t i = 0; i < file.size() && nulLine == 0; ++i) {
            if (file[i] == '\0') {
                nulLine = line;
            } else if (file[i] == '\r' || file[i] == '\n') {
                whole += "\r\n";
                ++line;
                if (file[i] == '\r' && i + 1 < file.size() && file[i + 1] == '\n') ++i;
            } else {
                whole += file[i];
            }
        }
        const std::string expected =
            nulLine ? "File text contains a NUL byte at line " + std::to_string(nulLine) : whole;
        for (std::size_t pieceSize : {2, 3, 4, 5, 6, 7, 8, 9, 10, 13, 16, 24, 33, 64, 100, 4096}) {
            std::string got;
            try {
                got = transferIntoPane(file, pieceSize);
            } catch (const FileError& e) {
                got = e.message();
            }
            ASSERT_EQ(got, expected) << ::testing::PrintToString(file) << ' ' << pieceSize;
        }
    }
}

// Any bytes but NUL, CR and LF, with CR LF breaks: a load and a save give the
// file back byte for byte, across many pieces.
TEST(ListFile, CrLfFileComesBackByteForByte) {
    TempFolder folder;
    std::mt19937 random(5);
    std::string file;
    while (file.size() < 5 * kLoadPieceSize) {
        if (random() % 12 == 0) {
            file += "\r\n";
        } else {
            char c = static_cast<char>(random() % 256);
            file += c == '\0' || c == '\r' || c == '\n' ? 'x' : c;
        }
    }
    for (const std::string& text : {file, file + "\r\n", std::string("\r\n")}) {
        writeFile(folder / "in.txt", text);
        ByteLineList pane;
        loadFromFile(pane, folder / "in.txt");
        EXPECT_EQ(pane.fileBytes(), text);
        saveToFile(pane, folder / "out.txt");
        EXPECT_EQ(readFile(folder / "out.txt"), text);
    }
}

TEST(ListFile, LoadReplacesTheTextAndRaisesTheCapacity) {
    TempFolder folder;
    writeFile(folder / "lf.txt", "1\n2\n3");
    writeFile(folder / "empty.txt", "");
    ByteLineList pane(std::string("MemoX\r\n"));
    pane.setCapacity(100);
    loadFromFile(pane, folder / "lf.txt");
    EXPECT_EQ(pane.text(), "1\r\n2\r\n3");
    EXPECT_EQ(pane.capacity(), kLoadedCapacity);
    saveToFile(pane, folder / "crlf.txt");
    EXPECT_EQ(readFile(folder / "crlf.txt"), "1\r\n2\r\n3");

    pane.setCapacity(100);
    loadFromFile(pane, folder / "empty.txt");
    EXPECT_EQ(pane.count(), 0);
    EXPECT_EQ(pane.capacity(), kLoadedCapacity);

    // An endless device of NUL bytes fails on its first piece.
    EXPECT_THROW(loadFromFile(pane, "/dev/zero"), FileError);
    EXPECT_EQ(pane.count(), 0);
}

// A NUL byte fails every way of loading, names the file and the line of the
// first one, and changes nothing; halves of UTF-16 characters are no NUL bytes.
TEST(ListFile, NulByteFailsTheLoadAtItsLine) {
    TempFolder folder;
    std::string big;
    for (int i = 0; i < 40000; ++i) big += i == 20000 ? "\0001\n"s : "1\n";
    struct Case {
        std::string file;
        int line;  // 0: loads
    };
    const Case cases[] = {
        {big, 20001},
        {"1\r\n2\r\0"s, 3},
        {"\0"s, 1},
        // clang-format off
        {"\xEF\xBB\xBF" "1\n\0"s, 2},
        {"\xFF\xFE" "1\0\n\0\0\0"s, 2},        // UTF-16 LE: U+0000 on line 2 is one
        {"\xFF\xFE" "1\0\n\0" "2\0"s, 0},      // UTF-16 LE
        {"\xFE\xFF\0" "1\0\r\0\n\0" "2"s, 0},  // UTF-16 BE
        {"\xFF\xFE" "1\0\n"s, 1},              // odd length: no UTF-16
        // clang-format on
    };
    for (const Case& c : cases) {
        const std::string path = folder / "nul.txt";
        writeFile(path, c.file);
        const std::string message = "File " + path + " contains a NUL byte at line " + std::to_string(c.line);
        ByteLineList pane(std::string("MemoX\r\n"));
        std::string streamed, streamedFromDescriptor;
        const auto take = [&](std::string_view piece) { streamed += piece; };
        const auto takeFromDescriptor = [&](std::string_view piece) { streamedFromDescriptor += piece; };
        const int fd = ::open(path.c_str(), O_RDONLY);
        const std::function<void()> loads[] = {
            [&] { transferFromFile(path, take); },
            [&] { transferFromDescriptor(fd, takeFromDescriptor, path, "read"); },
            [&] { loadFromFile(pane, path); },
        };
        for (const auto& load : loads) {
            try {
                load();
                EXPECT_EQ(c.line, 0) << ::testing::PrintToString(c.file);
            } catch (const FileError& e) {
                EXPECT_EQ(e.message(), message);
                EXPECT_EQ(pane.text(), "MemoX\r\n");
            }
        }
        ::close(fd);
        if (c.line == 0) {
            EXPECT_EQ(streamed, "1\r\n2");
            EXPECT_EQ(streamedFromDescriptor, "1\r\n2");
        }
    }
}

// Handed on in pieces, a file or a descriptor (standard input) gives the
// text a load gives, decoded as a pane decodes it: ASCII lists stream, the
// rest is decoded whole.
TEST(ListFile, TransferInPiecesGivesTheDecodedLoadedText) {
    TempFolder folder;
    std::mt19937 random(3);
    const std::string bytes[] = {"\r", "\n", "7", "\xA3\xB1", "\xE5\xB0\xB1", "\xE9"};
    for (int round = 0; round < 12; ++round) {
        std::string file = round % 3 == 0 ? "\xEF\xBB\xBF" : "";
        const std::size_t size = (round / 2) * kLoadPieceSize + 5;
        while (file.size() < size) {
            const std::size_t pick = random() % 40;
            file += bytes[pick < 37 ? pick % 3 : 3 + round % 3];
        }
        writeFile(folder / "in.txt", file);
        ByteLineList pane;
        loadFromFile(pane, folder / "in.txt");
        const std::string decoded = decodeFileText(pane.text()).utf8;
        std::string pieces;
        transferFromFile(folder / "in.txt", [&](std::string_view piece) { pieces += piece; });
        EXPECT_EQ(pieces, decoded) << "round " << round;

        pieces.clear();
        const int fd = ::open((folder / "in.txt").c_str(), O_RDONLY);
        const auto take = [&](std::string_view piece) { pieces += piece; };
        transferFromDescriptor(fd, take, "-", "read");
        ::close(fd);
        EXPECT_EQ(pieces, decoded) << "round " << round;
    }
    EXPECT_THROW(transferFromFile(folder / "missing.txt", [](std::string_view) {}), FileError);
}

TEST(ListFile, SpecialFilesAreReadOrRefusedAsAsked) {
    TempFolder folder;
    writeFile(folder / "file.txt", "1\n2");
    const std::string fifo = folder / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);

    // Refused at once: a FIFO without a writer (an open that waited would
    // hang here), a device, a folder. A regular file still loads.
    for (const std::string& path : {fifo, "/dev/zero"s, folder.path()}) {
        ByteLineList pane(std::string("MemoAN\r\n"));
        try {
            loadFromFile(pane, path, SpecialFiles::refuse);
            ADD_FAILURE() << path << " loaded";
        } catch (const FileError& e) {
            EXPECT_EQ(e.message(), "Cannot open file " + path);
        }
        EXPECT_EQ(pane.text(), "MemoAN\r\n");
        const auto ignore = [](std::string_view) {};
        EXPECT_THROW(transferFromFile(path, ignore, SpecialFiles::refuse), FileError);
    }
    ByteLineList pane;
    loadFromFile(pane, folder / "file.txt", SpecialFiles::refuse);
    EXPECT_EQ(pane.text(), "1\r\n2");

    // Accepted: the FIFO is read to its end once a writer comes.
    std::thread writer([&] { writeFile(fifo, "3\r4"); });
    loadFromFile(pane, fifo);
    writer.join();
    EXPECT_EQ(pane.text(), "3\r\n4");
}

// A descriptor already open is read to its end: a pipe named by /dev/fd (as
// process substitution names it) loads into a pane, and the transfer of
// standard input fails a read with its caller's message.
TEST(ListFile, LoadFromADescriptorReadsToItsEnd) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    ASSERT_EQ(::write(ends[1], "5\n6\n", 4), 4);
    ::close(ends[1]);
    const std::string named = "/dev/fd/" + std::to_string(ends[0]);
    ByteLineList pane;
    pane.setCapacity(10);
    loadFromFile(pane, named);
    EXPECT_EQ(pane.text(), "5\r\n6\r\n");
    EXPECT_EQ(pane.capacity(), kLoadedCapacity);

    // The read end is closed now: reading it fails with the caller's message,
    // and loading it changes nothing.
    ::close(ends[0]);
    std::string streamed;
    const auto take = [&](std::string_view piece) { streamed += piece; };
    try {
        transferFromDescriptor(ends[0], take, "-", "Cannot read standard input");
        ADD_FAILURE() << "a closed descriptor loaded";
    } catch (const FileError& e) {
        EXPECT_EQ(e.message(), "Cannot read standard input");
    }
    EXPECT_EQ(streamed, "");
    EXPECT_THROW(loadFromFile(pane, named), FileError);
    EXPECT_EQ(pane.text(), "5\r\n6\r\n");
}

// Told how far it is, a load or a save can be given up part-way (its progress
// raises): it changes nothing, the old file and its folder stay as they were.
TEST(ListFile, ALoadOrSaveGivenUpChangesNothing) {
    TempFolder folder;
    std::string text;
    for (int i = 0; i < 200000; ++i) text += "7\r\n";
    writeFile(folder / "big.txt", text);
    writeFile(folder / "list.txt", "old");
    std::vector<std::pair<uint64_t, uint64_t>> told;
    const FileProgress giveUp = [&told](uint64_t done, uint64_t total) {
        told.emplace_back(done, total);
        if (told.size() == 2) throw AbortError();
    };
    EXPECT_THROW(readListFile(folder / "big.txt", SpecialFiles::accept, giveUp), AbortError);
    const uint64_t piece = kLoadPieceSize / 2, size = text.size();
    EXPECT_EQ(told, (std::vector<std::pair<uint64_t, uint64_t>>{{piece, size}, {2 * piece, size}}));
    told.clear();
    EXPECT_THROW(writeListFile(RowText(text), {}, folder / "list.txt", SpecialFiles::accept, giveUp), AbortError);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1].second, size);
    EXPECT_EQ(readFile(folder / "list.txt"), "old");
    EXPECT_EQ(namesIn(folder.path()), (std::set<std::string>{"big.txt", "list.txt"}));
}

TEST(ListFile, SaveWritesExactlyThePaneText) {
    TempFolder folder;
    writeFile(folder / "old.txt", std::string(10000, 'o'));
    struct Case {
        std::string text, name;
    };
    const Case cases[] = {{"", "empty.txt"}, {"1\r\n2", "no-final-break.txt"}, {"F(1)=2\r\n", "old.txt"}};
    for (const Case& c : cases) {
        saveToFile(ByteLineList(c.text), folder / c.name);
        EXPECT_EQ(readFile(folder / c.name), c.text) << c.name;
    }
    EXPECT_EQ(namesIn(folder.path()), (std::set<std::string>{"empty.txt", "no-final-break.txt", "old.txt"}));
}

TEST(ListFile, SaveWhereNoFileCanBeCreated) {
    TempFolder folder;
    writeFile(folder / "file.txt", "keep");
    ::mkdir((folder / "folder").c_str(), 0755);
    ::symlink("loop-b", (folder / "loop-a").c_str());
    ::symlink("loop-a", (folder / "loop-b").c_str());
    const std::string paths[] = {folder / "missing/out.txt", folder / "file.txt/out.txt", folder / "folder",
                                 folder / "loop-a", ""};
    for (const std::string& path : paths) {
        try {
            saveToFile(ByteLineList(std::string("1\r\n")), path);
            ADD_FAILURE() << path << " saved";
        } catch (const FileError& e) {
            EXPECT_EQ(e.message(), "Cannot create file " + path);
        }
    }
    EXPECT_EQ(readFile(folder / "file.txt"), "keep");
    EXPECT_EQ(namesIn(folder.path()), (std::set<std::string>{"file.txt", "folder", "loop-a", "loop-b"}));
}

}  // namespace
}  // namespace quill
