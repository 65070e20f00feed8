// Cutting text into lines as read_line does: the line ends, the cut of an
// overlong line, and the same lines whatever pieces the bytes come in.
#include <gtest/gtest.h>

#include <vector>

#include "runtime/line_split.h"

namespace {

using Lines = std::vector<std::string>;

// Every line of text, read while bytes are left, as the record reader does.
Lines lines_of(const std::string& text) {
    Lines lines;
    std::string line;
    for (size_t at = 0; at < text.size();) {
        size_t next = next_line(text, at, &line);
        EXPECT_GT(next, at);
        at = next;
        lines.push_back(line);
    }
    return lines;
}

// The lines of text fed in pieces of `piece` bytes, the way the file layer
// feeds its buffer-fulls: an LF at the start of a piece still belongs to a
// CR at the end of the one before.
Lines lines_in_pieces(const std::string& text, size_t piece) {
    Lines lines;
    std::string line;
    bool open = false, after_cr = false;
    for (size_t start = 0; start < text.size(); start += piece) {
        std::string chunk = text.substr(start, piece);
        size_t at = 0;
        if (after_cr && !chunk.empty() && chunk[0] == '\n') at = 1;
        after_cr = false;
        while (at < chunk.size()) {
            LineScan scan = scan_line(chunk.data() + at, chunk.size() - at);
            append_line_part(line, chunk.data() + at, scan.content);
            at += scan.content;
            open = true;
            if (!scan.ended) break;
            ++at;
            if (scan.cr && at < chunk.size() && chunk[at] == '\n') ++at;
            else if (scan.cr && at == chunk.size()) after_cr = true;
            lines.push_back(line);
            line.clear();
            open = false;
        }
    }
    if (open) lines.push_back(line);
    return lines;
}

TEST(LineSplit, LineEndsCrLfLfCrAndNul) {
    EXPECT_EQ(lines_of("A\r\nB"), (Lines{"A", "B"}));
    EXPECT_EQ(lines_of("A\nB\n"), (Lines{"A", "B"}));
    EXPECT_EQ(lines_of("A\rB"), (Lines{"A", "B"}));
    EXPECT_EQ(lines_of("A\r\n\r\nB\r\n"), (Lines{"A", "", "B"}));
    EXPECT_EQ(lines_of("A\r\r\nB"), (Lines{"A", "", "B"}));
    EXPECT_EQ(lines_of("A\n\rB"), (Lines{"A", "", "B"}));
    EXPECT_EQ(lines_of("A\r"), (Lines{"A"}));
    EXPECT_EQ(lines_of(std::string("AB\0CD\r\nE", 8)), (Lines{"AB", "CD", "E"}));
    EXPECT_EQ(lines_of(std::string("\0\0X", 3)), (Lines{"", "", "X"}));
    EXPECT_EQ(lines_of(""), Lines{});
}

TEST(LineSplit, NextLineAtOrPastTheEndGivesNothing) {
    std::string line = "old";
    EXPECT_EQ(next_line("ab", 2, &line), 2u);
    EXPECT_EQ(line, "");
    EXPECT_EQ(next_line("ab", 9, &line), 2u);
    EXPECT_EQ(next_line("a\r\nb", 0, &line), 3u);
    EXPECT_EQ(line, "a");
}

TEST(LineSplit, OverlongLinesAreCutAndTheNextLineFollows) {
    std::string text = std::string(LINE_LIMIT + 5000, 'a') + "\r\nsecond\r\n" + std::string(LINE_LIMIT, 'b');
    Lines lines = lines_of(text);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], std::string(LINE_LIMIT, 'a'));
    EXPECT_EQ(lines[1], "second");
    EXPECT_EQ(lines[2], std::string(LINE_LIMIT, 'b'));
    std::string line(LINE_LIMIT - 2, 'x');
    append_line_part(line, "yyyy", 4);
    EXPECT_EQ(line, std::string(LINE_LIMIT - 2, 'x') + "yy");
    append_line_part(line, "z", 1);
    EXPECT_EQ(line.size(), LINE_LIMIT);
}

// The file layer reads in buffer-fulls; the cut must not depend on where
// the buffers end, a CR LF split between two of them included.
TEST(LineSplit, PiecesOfAnySizeGiveTheSameLines) {
    const std::string texts[] = {
        "A\r\nB",      "A\r\r\nB\n", "\r\n\r\n",  "A\rB\r",    std::string("x\0\r\ny", 5),
        "one\ntwo\rthree\r\nfour", std::string(LINE_LIMIT + 3, 'c') + "\r\nd",
    };
    for (const std::string& text : texts)
        for (size_t piece : {size_t(1), size_t(2), size_t(3), size_t(7), size_t(4096), size_t(65536)})
            EXPECT_EQ(lines_in_pieces(text, piece), lines_of(text)) << piece << " " << text.substr(0, 20);
}

}  // namespace
