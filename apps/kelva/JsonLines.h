#pragma once
// Files of one JSON object per line, as the run keeps them for the report: appended a whole line
// at a time, read back line by line, and rewritten whole through a temporary file.
//
// A run killed while appending can leave a last line without its line feed. Readers skip such
// a torn last line and say so; writers cut it off before they append, so it never runs into the
// next line.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

namespace JsonLines {

struct Line {
  size_t number = 0;  // 1-based line number in the file
  nlohmann::json value;
};

enum class ReadResult { ok, missing, damaged };

// Reads every line of `path`. ok: `lines` holds them and `warning` says when a torn last line
// was skipped ("" otherwise). missing: the file does not exist. damaged: `error` names the file
// and the line that is not a JSON object, or why the file cannot be read.
ReadResult Read(const std::string& path, std::vector<Line>& lines, std::string& warning,
                std::string& error);

// The same one line at a time, for files too large to hold parsed at once: visit(number, value)
// gets every line's parsed object in order, and may take it. A line that is not a JSON object
// ends the walk with `damaged`; the lines before it have been visited.
using ValueVisitor = std::function<void(size_t number, nlohmann::json& value)>;
ReadResult ForEach(const std::string& path, const ValueVisitor& visit, std::string& warning,
                   std::string& error);

// The lines as text, without parsing: visit(number, text, error) gets every whole line without
// its line feed (the text lives until visit returns); returning false ends the walk with
// `damaged` and the error the visitor set.
using TextVisitor = std::function<bool(size_t number, std::string_view text, std::string& error)>;
ReadResult ForEachLine(const std::string& path, const TextVisitor& visit, std::string& warning,
                       std::string& error);

// Cuts a torn last line off `path` (a missing file is fine), reading only as much of the end of
// the file as the last line takes. False with `error` set when the file cannot be read or cut.
bool CutTornLine(const std::string& path, std::string& error);

// The number of line feeds in `path` (0 when it cannot be read), without parsing anything.
size_t CountLines(const std::string& path);

// Appends `line` (one JSON text without line feed) and a line feed in one write to `path`,
// creating it when missing. A torn last line is cut off first. The line goes in whole or not at
// all: when the write fails part way, what it took is cut off again. False with `error` set
// ("cannot append to <path>: No space left on device").
bool Append(const std::string& path, const std::string& line, std::string& error);

// Writes `text` to a temporary name beside `path`, syncs it and renames it into place. False with
// `error` set ("cannot write <temporary>: …", "cannot sync <temporary>: …", "cannot rename
// <temporary> to <path>: …"); the temporary file is removed and `path` left as it was.
bool WriteWhole(const std::string& path, const std::string& text, std::string& error);

// Rewrites `path` with the whole lines that keep(number, text) accepts, each as it was, in the
// way WriteWhole writes: through a temporary name beside it, synced and renamed into place. The
// kept lines go to the temporary file as they are read, so the memory this takes is bounded by
// the longest line and a write buffer, not by the file. A torn last line is dropped (`warning`
// says so). ok, missing (nothing is written), or damaged with `error` set (`path` left as it
// was, the temporary file removed).
using LineFilter = std::function<bool(size_t number, std::string_view text)>;
ReadResult Rewrite(const std::string& path, const LineFilter& keep, std::string& warning,
                   std::string& error);

}  // namespace JsonLines
