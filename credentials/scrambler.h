#pragma once
// The reversible scrambling of stored credentials: every byte is shifted by the text's
// length, its position and an entry of a repeating table.
#include <array>
#include <cstddef>
#include <span>
#include <string>

namespace kalvora {

inline constexpr std::array<int, 3> tabla_desplazamientos{8, 2, 9};

// Table entry for position p (counted from 1), the table repeating; tabla must not be empty.
int desplazamiento(std::size_t p, std::span<const int> tabla);

// Byte strings of any content (NUL and 255 included); results wrap modulo 256.
std::string sumar_desplazamientos(const std::string& text, std::span<const int> tabla);
std::string restar_desplazamientos(const std::string& text, std::span<const int> tabla);

std::string encriptar(const std::string& s);
std::string desencriptar(const std::string& s);

}  // namespace kalvora
