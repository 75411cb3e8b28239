#pragma once
// Path helpers of the file library: the sequencer keeps one history file per part type in a
// "History/" folder under the local data path and copies those files to and from a project
// folder. Paths are UTF-8 text; a folder is written with a trailing '/'. Nothing here throws:
// every failure is reported through the return value.

#include <cstddef>
#include <string>

namespace FileIO {

// The base name (no extension) of the history files of one part type on one platform. Every
// byte of `platform` and `type` outside [A-Za-z0-9-] is written as '%' and two upper-case hex
// digits ("GT2/A" gives "GT2%2FA", "_" gives "%5F", "." gives "%2E"); the encoded platform and
// the encoded type are joined by '_', which never occurs inside an encoded part. The '_' is
// written exactly when `platform` is not empty, so ("P1", "T1") gives "P1_T1", ("", "T1")
// gives "T1" and ("P1", "") gives "P1_". Different (platform, type) pairs therefore always give
// different names, and no name is "." or ".." or holds a '/'. Returns "" only when both are
// empty (no history is kept then). The result is not shortened: it can be up to three times
// as long as the two names together, and a caller that needs a name the file system accepts
// checks its length (see kMaxPartTypeFileNameBytes).
std::string partTypeFileName(const std::string& platform, const std::string& type);

// The longest path (in bytes) of a file the program keeps. Linux allows 4096 bytes with the
// terminating NUL; the rest is room for the suffixes of temporary and damaged-file names.
// A longer path is refused, never shortened: a shortened path would point somewhere else.
constexpr size_t kMaxFilePathBytes = 4000;

// The longest part-type file name (in bytes) the program uses. Leaves room below the usual 255-byte
// limit for the suffixes added to it (extension, temporary name, ".damaged-<timestamp>").
constexpr size_t kMaxPartTypeFileNameBytes = 200;

// Keeps a file that could not be read out of the way of the next save: renames `path` to
// `<path>.damaged-<timestamp>`, the timestamp being the host's wall time in UTC written as
// 20261206T140501Z. When that name exists, "-2", "-3", ... is appended (up to "-999"); an
// existing file is never replaced. Returns true when the file now has its new name, which
// `*keptAs` (when given) receives; false when `path` does not exist or cannot be renamed, and
// `path` is then left as it was.
bool KeepDamagedFile(const std::string& path, std::string* keptAs = nullptr);

// Matches a file name (not a path) against a glob: '*' stands for any run of characters
// (also none), '?' for exactly one UTF-8 character, every other byte for itself (case
// sensitive). "*" matches every name, also names starting with '.'; "*.hst" matches names
// ending in ".hst"; an empty pattern matches nothing but the empty name.
bool matchesPattern(const std::string& name, const std::string& pattern);

// True when `folder` exists and holds at least one regular file (or link to one) whose name
// matches `pattern`. Subfolders and their content do not count. A missing or unreadable
// folder gives false.
bool isContent(const std::string& folder, const std::string& pattern = "*");

// `path` relative to `base` when it lies inside `base`, else `path` unchanged. Purely lexical:
// both are normalised first (empty and "." components dropped, "name/.." pairs removed), then
// the components of `base` must be a leading run of those of `path`; "/data/kelvax" is not
// inside "/data/kelva". The result is the remaining components joined by '/', ending in '/'
// when `path` does; it is "" when `path` is `base` itself. An absolute path is never inside a
// relative base and vice versa.
// Example: makePathRelative("/data//kelva/./History/", "/data/kelva") == "History/".
std::string makePathRelative(const std::string& path, const std::string& base);

// `root` + `relative` when `relative` is relative; `root` gets a '/' appended when it is
// non-empty and does not end in one. An absolute `relative` (leading '/') is returned
// unchanged, and so is any `relative` when `root` is empty. A relative path whose ".."
// components would climb above `root` at any point ("../x", "a/../../x") is refused: the
// result is "". ".." that stays inside ("a/../b") is allowed and kept as written.
std::string makePathAbsolute(const std::string& relative, const std::string& root);

// Creates `folder` and every missing parent. True when `folder` is a directory afterwards
// (also when it existed before); false for "" and when a file is in the way. On failure `why`
// (when given) says so: "cannot create the folder <folder>: a file of that name is in the
// way" or the system's reason.
bool CreateFolder(const std::string& folder, std::string* why = nullptr);

// Copies every regular file of `fromFolder` whose name matches `pattern` (see
// matchesPattern) into `toFolder`, replacing files of the same name; subfolders are not
// copied. `toFolder` is created when missing. Files are copied in name order, each to a
// temporary name in `toFolder` that is synced and renamed into place, so a crash never leaves
// a partial file under the real name. Returns the number of files copied; -1 when
// `fromFolder` is not a directory, `toFolder` cannot be created, the folder cannot be listed,
// or a copy fails, and then `why` (when given) says so ("cannot copy <from> to <to>: cannot
// write: No space left on device"). A failed copy stops the run: files copied before it stay,
// its temporary file is removed, the file it was to replace keeps its previous content, and the
// files after it are not copied.
int CopyFiles(const std::string& fromFolder, const std::string& pattern,
              const std::string& toFolder, std::string* why = nullptr);

}  // namespace FileIO
