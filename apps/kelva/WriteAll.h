#pragma once
// Writing all of a buffer to a file descriptor, retrying short and interrupted writes. The
// writes pass through FileFaults (host/FileFaults.h), where tests inject failures.

#include <string>
#include <string_view>

// "" when every byte was written; otherwise why not ("No space left on device", "nothing was
// taken" when the descriptor took no byte).
std::string WriteAll(int fd, std::string_view bytes);
