// Which texts of one set occur inside which texts of another, found without testing every pair: the
// table comparison matches a name with every name that contains it.
#pragma once
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kw {

// For each needle, the indexes (ascending) of the haystacks that hold it somewhere. An empty needle
// is in every haystack.
std::vector<std::vector<uint32_t>> haystacksHolding(std::span<const std::wstring_view> needles,
                                                    std::span<const std::wstring_view> haystacks);

// True when `hay` holds `needle` (character for character).
bool holds(std::wstring_view hay, std::wstring_view needle);

} // namespace kw
