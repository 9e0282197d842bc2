// Whether a compressed data block of a cabinet can be decoded safely. The block's checksum is a plain XOR
// of its words: two equal changes in one column cancel, and the system's decoder does not survive every
// damaged stream (a copy that reaches past its buffer has brought it down). So each block is decoded once
// here beforehand, counting what it would write and writing nothing, and refused unless it is a
// well-formed stream of exactly the declared size.
#pragma once
#include <cstddef>

namespace kw {

// An MSZIP block: the mark "CK", then deflate blocks up to the one marked last. Their code tables must
// be complete (as the usual decoders require), no copy may reach back further than `history` bytes (what
// the folder's earlier blocks unpacked to, at most 32 KB) plus what this block has written, and the
// output must be exactly `declared` bytes.
bool mszipBlockDecodes(const unsigned char* data, std::size_t size, std::size_t declared,
                       std::size_t history);

} // namespace kw
