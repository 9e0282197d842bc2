#pragma once

namespace kw {
inline constexpr const char* kProgramVersion = "19.11.01k (01.11.2019)";
}
