// Replaces a file on Windows, which has no anonymous files: the bytes go to
// temporary_name(path), are flushed to disk, and the temporary is then moved
// over the file in one step, flushed through as well (no folder to flush,
// no mode). A file made read-only is kept so.
#include "replace_file.h"

#include <windows.h>

#include <cerrno>

namespace {

// The file's name as Windows' wide calls take it; names come in the ANSI
// code page, as the command line gave them.
std::wstring wide(const std::string &path)
{
    std::wstring name(path.size() + 1, L'\0');
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, name.data(), int(name.size()));
    name.resize(length > 0 ? size_t(length) - 1 : 0);
    return name;
}

// errno for the Windows error that made a step fail.
int errno_of(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    default:
        return EIO;
    }
}

bool write_all(HANDLE file, const unsigned char *data, size_t size)
{
    while (size > 0) {
        DWORD written = 0;
        const auto chunk = DWORD(size < MAXDWORD ? size : MAXDWORD);
        if (!WriteFile(file, data, chunk, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

// Creates `temp` anew: never opens what is there, a leftover of a dead
// process with this one's id or a link, but removes it first.
HANDLE create_new(const std::wstring &temp)
{
    const auto create = [&] {
        return CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    };
    HANDLE file = create();
    if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS && DeleteFileW(temp.c_str()))
        file = create();
    return file;
}

} // namespace

std::string temporary_name(const std::string &path)
{
    const size_t name = path.find_last_of("/\\") + 1; // 0 for a bare name
    return path.substr(0, name) + "." + path.substr(name) + "." + std::to_string(GetCurrentProcessId()) + ".tmp";
}

bool replace_file(const std::string &path, const unsigned char *data, size_t size)
{
    const std::wstring temp = wide(temporary_name(path)), target = wide(path);
    // A file made read-only is kept so, as Windows' own move over it does.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        errno = EACCES;
        return false;
    }
    HANDLE file = create_new(temp);
    if (file == INVALID_HANDLE_VALUE) {
        errno = errno_of(GetLastError());
        return false;
    }
    const bool written = write_all(file, data, size) && FlushFileBuffers(file);
    DWORD error = written ? ERROR_SUCCESS : GetLastError();
    CloseHandle(file);
    if (written && MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    if (written)
        error = GetLastError();
    DeleteFileW(temp.c_str());
    errno = errno_of(error);
    return false;
}
