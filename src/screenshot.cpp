// Saves the screenshot: the library's PCX writer, through a write-only
// PACKFILE of our own, or libspng encodes the picture into memory, and the
// bytes then replace the file whole.
#include "screenshot.h"

#include <spng.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

#include "fractal/fractal.h"
#include "replace_file.h"

namespace {

// The worst run-length encoding of a frame takes two bytes a pixel, plus the
// 128-byte header and the 769-byte palette trailer.
constexpr size_t PCX_CAPACITY = 2 * FRAME_WIDTH * FRAME_HEIGHT + 128 + 769;

struct pcx_bytes {
    unsigned char data[PCX_CAPACITY];
    size_t size;
    bool overflowed;
};

// A write-only PACKFILE that appends to a pcx_bytes.
int sink_close(void *) { return 0; }
int sink_getc(void *) { return EOF; }
int sink_ungetc(int, void *) { return EOF; }
long sink_fread(void *, long, void *) { return 0; }
int sink_fseek(void *, int) { return -1; }
int sink_feof(void *) { return 0; }

long sink_fwrite(const void *p, long n, void *userdata)
{
    pcx_bytes *bytes = static_cast<pcx_bytes *>(userdata);
    if (n < 0 || static_cast<size_t>(n) > PCX_CAPACITY - bytes->size) {
        bytes->overflowed = true;
        return 0;
    }
    std::memcpy(bytes->data + bytes->size, p, static_cast<size_t>(n));
    bytes->size += static_cast<size_t>(n);
    return n;
}

int sink_putc(int c, void *userdata)
{
    const unsigned char byte = static_cast<unsigned char>(c);
    return sink_fwrite(&byte, 1, userdata) == 1 ? byte : EOF;
}

int sink_ferror(void *userdata) { return static_cast<pcx_bytes *>(userdata)->overflowed; }

const PACKFILE_VTABLE SINK_VTABLE = {sink_close,  sink_getc,  sink_ungetc, sink_fread, sink_putc,
                                     sink_fwrite, sink_fseek, sink_feof,   sink_ferror};

bool encode_pcx(BITMAP *buffer, const PALETTE palette, pcx_bytes *bytes)
{
    bytes->size = 0;
    bytes->overflowed = false;
    PACKFILE *file = pack_fopen_vtable(&SINK_VTABLE, bytes);
    if (!file)
        return false;
    // The library's writer takes a non-const palette but only reads it.
    const int result = save_pcx_pf(file, buffer, const_cast<RGB *>(palette));
    pack_fclose(file);
    return result == 0 && !bytes->overflowed && bytes->size > 0;
}

// An indexed PNG of `buffer`'s pixels; its palette the 8-bit values the
// library's PCX writer gives the 6-bit ones.
bool encode_png(BITMAP *buffer, const PALETTE palette, std::vector<unsigned char> *bytes)
{
    const auto width = size_t(buffer->w);
    std::vector<unsigned char> pixels(width * size_t(buffer->h));
    for (int y = 0; y < buffer->h && width > 0; ++y)
        std::memcpy(&pixels[size_t(y) * width], buffer->line[y], width);
    spng_plte colours = {PAL_SIZE, {}};
    for (int i = 0; i < PAL_SIZE; ++i)
        colours.entries[i] = {std::uint8_t(_rgb_scale_6[palette[i].r]), std::uint8_t(_rgb_scale_6[palette[i].g]),
                              std::uint8_t(_rgb_scale_6[palette[i].b]), 0};
    spng_ihdr header = {std::uint32_t(buffer->w), std::uint32_t(buffer->h), 8, SPNG_COLOR_TYPE_INDEXED, 0, 0, 0};
    spng_ctx *context = spng_ctx_new(SPNG_CTX_ENCODER);
    int error = context ? spng_set_option(context, SPNG_ENCODE_TO_BUFFER, 1) : SPNG_EMEM;
    if (!error)
        error = spng_set_ihdr(context, &header);
    if (!error)
        error = spng_set_plte(context, &colours);
    if (!error)
        error = spng_encode_image(context, pixels.data(), pixels.size(), SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
    size_t size = 0;
    auto *png = static_cast<unsigned char *>(error ? nullptr : spng_get_png_buffer(context, &size, &error));
    if (png)
        bytes->assign(png, png + size);
    std::free(png);
    spng_ctx_free(context);
    return png && !error;
}

} // namespace

bool format_of(const char *path, image_format *format)
{
    const auto ends_in = [name = std::string_view(path)](std::string_view ending) {
        return name.size() >= ending.size() &&
               std::ranges::equal(name.substr(name.size() - ending.size()), ending,
                                  [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == b; });
    };
    *format = ends_in(".png") ? image_format::png : image_format::pcx;
    return ends_in(".pcx") || *format == image_format::png;
}

bool save_screenshot(screenshot_file file, BITMAP *buffer, const PALETTE palette)
{
    const bool as_png = file.format == image_format::png;
    std::vector<unsigned char> png;
    pcx_bytes pcx;
    if (!(as_png ? encode_png(buffer, palette, &png) : encode_pcx(buffer, palette, &pcx)))
        return false;
    const unsigned char *data = as_png ? png.data() : pcx.data;
    const size_t size = as_png ? png.size() : pcx.size;
    return replace_file(file.path, data, size);
}
