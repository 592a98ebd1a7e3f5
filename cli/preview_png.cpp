#include "cli/preview_png.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <optional>
#include <vector>

namespace tessaline::cli {

namespace {

// Palette indices of the PNG: the screen's pixels, then the gap.
constexpr png_byte kGapIndex = 3;

struct WriteContext {
    const std::function<bool(std::string_view)>* sink;
    bool sinkFailed = false;
};

// A refused piece is remembered and the rest dropped: leaving the PNG
// library by its error jump from here would skip its own bookkeeping.
void writeData(png_structp png, png_bytep data, png_size_t length)
{
    auto* context = static_cast<WriteContext*>(png_get_io_ptr(png));
    if (context->sinkFailed)
        return;
    if (!(*context->sink)(std::string_view(reinterpret_cast<const char*>(data), length)))
        context->sinkFailed = true;
}

void flushData(png_structp) {}

void reportError(png_structp png, png_const_charp message)
{
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    *error = std::string("the PNG could not be written: ") + message;
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

png_color paletteEntry(screen::Rgb rgb) { return {rgb.red, rgb.green, rgb.blue}; }

// What the rows are made from and into; it lives outside the frames that
// the PNG library's error jump leaves.
struct Rows {
    const screen::ScreenLayout* layout;
    int first;
    int last;
    int zoom;
    const WriteContext* context;
    std::vector<png_byte> row;
    std::optional<screen::ScreenImage> image;
};

// Holds no object of its own while it calls the PNG library.
void writeImage(png_structp png, png_infop info, Rows& rows)
{
    const screen::ScreenSize size = rows.layout->target().size;
    png_write_info(png, info);
    for (int index = rows.first; index <= rows.last && !rows.context->sinkFailed; ++index) {
        if (index > rows.first) {
            std::fill(rows.row.begin(), rows.row.end(), kGapIndex);
            png_write_row(png, rows.row.data());
        }
        rows.image.emplace(rows.layout->draw(index));
        for (int y = 0; y < size.height; ++y) {
            for (int x = 0; x < size.width; ++x)
                std::fill_n(rows.row.begin() + x * rows.zoom, rows.zoom, static_cast<png_byte>(rows.image->at(x, y)));
            for (int copy = 0; copy < rows.zoom; ++copy)
                png_write_row(png, rows.row.data());
        }
    }
    if (!rows.context->sinkFailed)
        png_write_end(png, info);
}

// The error jump lands here, in a frame of plain values only.
bool writeImageOrJump(png_structp png, png_infop info, Rows* rows)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    writeImage(png, info, *rows);
    return true;
}

}  // namespace

bool writePreviewPng(const screen::ScreenLayout& layout, int first, int last, int zoom,
                     const std::function<bool(std::string_view)>& sink, std::string& error)
{
    const screen::ScreenSize size = layout.target().size;
    const int screens = last - first + 1;
    const auto width = static_cast<png_uint_32>(size.width * zoom);
    const auto height = static_cast<png_uint_32>(screens * size.height * zoom + (screens - 1));
    WriteContext context{&sink};
    Rows rows{&layout, first, last, zoom, &context, std::vector<png_byte>(width), std::nullopt};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &error, reportError, ignoreWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        error = "the PNG could not be written: not enough memory";
        return false;
    }
    png_set_write_fn(png, &context, writeData, flushData);
    // A book's column of screens is far taller than the default limit of a
    // million rows, which guards readers, not writers.
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_color palette[] = {paletteEntry(screen::colorOf(screen::Pixel::Paper)),
                           paletteEntry(screen::colorOf(screen::Pixel::Ink)),
                           paletteEntry(screen::colorOf(screen::Pixel::Marked)), paletteEntry(screen::kGapColor)};
    png_set_PLTE(png, info, palette, 4);
    const bool written = writeImageOrJump(png, info, &rows);
    png_destroy_write_struct(&png, &info);
    return written && !context.sinkFailed;
}

}  // namespace tessaline::cli
