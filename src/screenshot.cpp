// Saves the screenshot: the library's PCX writer encodes the picture into
// memory, through a write-only PACKFILE of our own, and the bytes then
// replace the file whole.
#include "screenshot.h"

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

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

} // namespace

bool save_screenshot(const char *path, BITMAP *buffer, const PALETTE palette)
{
    pcx_bytes bytes;
    if (!encode_pcx(buffer, palette, &bytes))
        return false;
    errno = 0;
    if (replace_file(path, bytes.data, bytes.size, temporary_file::anonymous))
        return true;
    // Only where anonymous files cannot be made: any other failure would
    // come again, or has already put the new picture in place.
    const bool no_anonymous_files = errno == EOPNOTSUPP || errno == EISDIR;
    return no_anonymous_files && replace_file(path, bytes.data, bytes.size, temporary_file::named);
}
