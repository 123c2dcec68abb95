#pragma once
// The billing system's seven module aliases, in the order the apply writes
// them: the part of each name after the version prefix.
#include <array>

namespace modules {
constexpr std::array<const char*, 7> AliasNames = {
    "Veltra- Ochrona",      "Veltra- RN",          "Veltra- RN- Faktury", "Veltra- RN- Magistr",
    "Veltra- RN- Odbiorcy", "Veltra- RN- Odczyty", "Veltra- RN- Liczniki",
};
constexpr std::size_t Ochrona = 0;
constexpr std::size_t Liczniki = 6;
}  // namespace modules
