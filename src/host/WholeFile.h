#pragma once
// Reading a binary file that the program writes in one piece (a history file). The reader must
// take exactly the bytes of the file: bytes after the content it announces mean the file is
// not what it claims to be (a changed row count, something appended). A file that cannot be
// read is moved aside as `<path>.damaged-<timestamp>` (FileIO::KeepDamagedFile) at once, so
// that the next save under its name never destroys it.

#include <functional>
#include <string>

#include "host/File.h"

struct WholeFileRead {
  enum status_t {
    missing,  // nothing exists under the name
    read,     // the reader took the whole file
    damaged,  // see reason; keptAs or notKeptBecause say where the file is now
  };
  status_t status = missing;
  // What is wrong: "it is not a regular file", "it cannot be opened: <system reason>",
  // "<n> bytes follow the end of its content", or the reader's own reason.
  std::string reason;
  // The name the damaged file now has; "" when it stays under its own name.
  std::string keptAs;
  // Why a damaged file stays under its own name ("" when it was moved aside).
  std::string notKeptBecause;
};

// Reads `path` with `read(file, why)`, which returns false and sets `why` when it refuses the
// content. A damaged regular file is moved aside; anything else under the name (a folder, a
// FIFO) is left alone, and it is the caller's part never to save over it.
WholeFileRead ReadWholeFile(const std::string& path,
                            const std::function<bool(CFile&, std::string&)>& read);

// The same reading and checks for a caller that only looks at a file (a person inspecting a
// history file): the file stays where it is whatever its state, so keptAs and notKeptBecause
// are always "".
WholeFileRead ReadWholeFileInPlace(const std::string& path,
                                   const std::function<bool(CFile&, std::string&)>& read);
