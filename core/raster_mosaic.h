#pragma once
// The arithmetic of the raster-operation filter and of the mosaic, kept apart from the
// windows: raster codes by name, the diagonal passes, block averages and the names of
// the numbered stage files.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirolt {

// The ternary raster operations the filter offers, by their system names. Bits 16 to 23
// of a code are the truth table over pattern, source and destination.
struct RasterOperation {
    const wchar_t *name;
    uint32_t code;
};
inline constexpr RasterOperation kRasterOperations[] = {
    {L"DstInvert", 0x00550009},  {L"MergeCopy", 0x00C000CA},   {L"MergePaint", 0x00BB0226},
    {L"NotSrcCopy", 0x00330008}, {L"NotSrcErase", 0x001100A6}, {L"SrcAnd", 0x008800C6},
    {L"SrcCopy", 0x00CC0020},    {L"SrcErase", 0x00440328},    {L"SrcInvert", 0x00660046},
    {L"SrcPaint", 0x00EE0086},
};
// What the filter's two lists offer, in order ("NotSrcCopy" is reached only by typing).
inline constexpr const wchar_t *kRasterOperationList[] = {
    L"DstInvert", L"MergeCopy", L"MergePaint", L"NotSrcErase", L"SrcAnd",
    L"SrcCopy",   L"SrcErase",  L"SrcInvert",  L"SrcPaint"};

// The code of an operation named exactly (letter case included); 0 for any other text.
// Code 0 has the all-zero truth table: the copy paints black.
uint32_t RasterCodeOf(std::wstring_view name);

// One pass of the filter: `count` copies, the k-th at (x0 + k dx, y0 + k dy). The count
// is also the pass's progress maximum.
struct RasterPass {
    int32_t x0, dx, y0, dy, count;
};
struct RasterPlan {
    RasterPass pass1; // top left to bottom right
    RasterPass pass2; // right to left while moving down
};

// The passes over a w x h source with counts n1 and n2, every derived value rounded
// halves to even. Nothing when either count gives no usable step: not above 0, or so large
// that the horizontal step rounds to 0 (four times w or more). A count below 1 paints one
// copy.
std::optional<RasterPlan> PlanRasterFilter(int32_t w, int32_t h, double n1, double n2);

// The mosaic's progress maximum for a picture h pixels high and block size n (n >= 2):
// (h - 1) \ (n - 1) + 1, so the bar mostly stops short of its end.
int32_t MosaicProgressMax(int32_t h, int32_t n);

// A block's channel average, halves to even (75 / 6 gives 12, 81 / 6 gives 14); a count
// of 0 is taken as 1.
int32_t MosaicAverage(int32_t sum, int32_t count);

// A mosaic kept as its block colours: a width x height picture in n x n blocks from its
// top-left corner, those at its right and bottom edges cut short by it, every pixel of a
// block the block's colour. Colours are 32-bit B, G, R, X values, Columns() to a block row,
// the rows top to bottom.
struct MosaicBlocks {
    int32_t width = 0, height = 0, n = 1;
    std::vector<uint32_t> colors;

    int32_t Columns() const { return (width + n - 1) / n; }
    int32_t Rows() const { return (height + n - 1) / n; }
    uint32_t At(int32_t x, int32_t y) const {
        return colors[size_t(y / n) * size_t(Columns()) + size_t(x / n)];
    }
};

// The blocks of a picture (rows `stride` pixels apart) whose every n x n block is one
// colour, as a mosaic leaves it: one pixel of each. Raises std::bad_alloc when the memory
// for the colours is not there.
MosaicBlocks SampleMosaic(const uint32_t *pixels, size_t stride, int32_t width, int32_t height,
                          int32_t n);

// Writes the top-left width x height pixels of the mosaic (no more than it has) into rows
// `stride` pixels apart: each block row's first row made, then copied down.
void ExpandMosaic(const MosaicBlocks &mosaic, uint32_t *pixels, size_t stride, int32_t width,
                  int32_t height);

// The export dialog's filter for stage files numbered 001 to `lastNumber`.
std::wstring StageExportFilter(int32_t lastNumber);
// The chosen name less its ending ".bmp" (any letter case); any other name is kept whole,
// so the files land in the folder the user chose.
std::wstring StageFileBase(const std::wstring &chosen);
// base + "_" + the number as three digits + ".bmp".
std::wstring StageFileName(const std::wstring &base, int32_t number);

} // namespace mirolt
