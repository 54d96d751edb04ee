#pragma once
// SHA-256 (FIPS 180-4) of a byte string: the checksum the group log records for the parameter
// file, so that a radio can later be checked against the file it was given.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace fleet {

std::array<std::uint8_t, 32> Sha256(std::string_view bytes);
// Lowercase hexadecimal, 64 characters.
std::string Sha256Hex(std::string_view bytes);

}  // namespace fleet
