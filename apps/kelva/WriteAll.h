#pragma once
// Writing all of a buffer to a file descriptor, retrying short and interrupted writes. The
// writes pass through FileFaults (host/FileFaults.h), where tests inject failures.

#include <cstddef>
#include <string>
#include <string_view>

// "" when every byte was written; otherwise why not ("No space left on device", "nothing was
// taken" when the descriptor took no byte). `written` (when given) receives the bytes taken,
// also when the write failed part way.
std::string WriteAll(int fd, std::string_view bytes, size_t* written = nullptr);

// Appends `bytes` to the end of the regular file `fd` whole or not at all: when the write fails
// part way, the bytes it took are cut off again, so the file still ends where it ended before
// and the next record cannot run into a torn one. For files only this process appends to.
// "" or why not, as WriteAll.
std::string AppendWhole(int fd, std::string_view bytes);
