#pragma once
// UTF-8 text under byte limits: wherever a text is cut to fit a buffer or a field, the cut
// falls between characters, so the kept part stays valid UTF-8 when the whole was.

#include <cstddef>
#include <string_view>

namespace Utf8 {

// Length of the well-formed UTF-8 sequence that starts at `text[i]`, or 0 when the bytes
// there are not one (stray continuation, overlong form, surrogate, beyond U+10FFFF, cut off).
size_t SequenceLength(std::string_view text, size_t i);

// The largest length <= `limit` at which `text` can be cut without splitting a character:
// `text.size()` when it fits, otherwise `limit` moved back over continuation bytes.
size_t Boundary(std::string_view text, size_t limit);

}  // namespace Utf8
