#include "sandbox/demo/TerminalColumns.h"

#include <cstdint>
#include <cstdio>
#include <iterator>

#include "sandbox/TextCodec.h"

namespace {

struct CodePointRange {
    uint32_t first;
    uint32_t last;
};

// Combining marks, which sit on the letter before them, and the invisible
// zero-width spaces, joiners and direction marks. The blocks every script
// uses, and the marks of the Cyrillic, Hebrew, Arabic, Thai and Japanese
// letters; those of the Indic scripts are not listed.
const CodePointRange kZeroWidthRanges[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x05BF, 0x05BF},
    {0x05C1, 0x05C2}, {0x05C4, 0x05C5}, {0x05C7, 0x05C7}, {0x0610, 0x061A},
    {0x064B, 0x065F}, {0x0670, 0x0670}, {0x06D6, 0x06DC}, {0x06DF, 0x06E4},
    {0x06E7, 0x06E8}, {0x06EA, 0x06ED}, {0x0E31, 0x0E31}, {0x0E34, 0x0E3A},
    {0x0E47, 0x0E4E}, {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F},
    {0x20D0, 0x20FF}, {0x302A, 0x302D}, {0x3099, 0x309A}, {0xFE00, 0xFE0F},
    {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}, {0xE0100, 0xE01EF},
};

// East Asian wide and fullwidth letters: Hangul, the CJK radicals, symbols
// and punctuation, kana, Bopomofo, the CJK ideographs, Yi, the fullwidth
// forms. U+303F, the half-width ideographic space, and the Yijing hexagrams
// (U+4DC0 to U+4DFF) fall between these ranges and take one column.
const CodePointRange kWideRanges[] = {
    {0x1100, 0x115F},   {0x2329, 0x232A},   {0x2E80, 0x303E},   {0x3041, 0x4DBF},
    {0x4E00, 0xA4CF},   {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},
    {0xFE10, 0xFE19},   {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},
    {0x1B000, 0x1B16F}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

bool InRanges(uint32_t codePoint, const CodePointRange* first, const CodePointRange* end) {
    for (const CodePointRange* range = first; range != end; ++range)
        if (codePoint >= range->first && codePoint <= range->last) return true;
    return false;
}

// Zero-width is asked first: the kana's sound marks lie inside a wide range.
int CodePointColumns(uint32_t codePoint) {
    if (InRanges(codePoint, std::begin(kZeroWidthRanges), std::end(kZeroWidthRanges))) return 0;
    if (InRanges(codePoint, std::begin(kWideRanges), std::end(kWideRanges))) return 2;
    return 1;
}

}  // namespace

int DisplayWidth(const std::string& utf8) {
    // Malformed bytes come back as U+FFFD, one column, as a terminal shows them.
    const std::wstring wide = WideFromUtf8(utf8);
    int columns = 0;
    for (size_t at = 0; at < wide.size(); ++at) {
        uint32_t codePoint = static_cast<uint16_t>(wide[at]);
        const bool pair = codePoint >= 0xD800 && codePoint <= 0xDBFF && at + 1 < wide.size() &&
                          wide[at + 1] >= 0xDC00 && wide[at + 1] <= 0xDFFF;
        if (pair) codePoint = 0x10000 + ((codePoint - 0xD800) << 10) + (static_cast<uint16_t>(wide[++at]) - 0xDC00u);
        columns += CodePointColumns(codePoint);
    }
    return columns;
}

void PrintColumns(const std::vector<std::vector<std::string>>& rows) {
    std::vector<int> widths;
    for (const auto& row : rows)
        for (size_t column = 0; column < row.size(); ++column) {
            if (widths.size() <= column) widths.push_back(0);
            const int width = DisplayWidth(row[column]);
            if (width > widths[column]) widths[column] = width;
        }
    for (const auto& row : rows) {
        std::string line = "  ";
        for (size_t column = 0; column < row.size(); ++column) {
            line += row[column];
            if (column + 1 < row.size())
                line.append(static_cast<size_t>(widths[column] - DisplayWidth(row[column]) + 2), ' ');
        }
        line.erase(line.find_last_not_of(' ') + 1);
        std::printf("%s\n", line.c_str());
    }
}
