#include "credentials/scrambler.h"

namespace kalvora {

namespace {

// Unsigned arithmetic wraps, and the cast to a byte keeps it modulo 256.
std::string shifted(const std::string& text, std::span<const int> tabla, bool add)
{
    const std::size_t length = text.size();
    std::string out(length, '\0');
    for (std::size_t p = 1; p <= length; ++p) {
        const std::size_t shift = length + p + std::size_t(desplazamiento(p, tabla));
        const std::size_t c = static_cast<unsigned char>(text[p - 1]);
        out[p - 1] = static_cast<char>(static_cast<unsigned char>(add ? c + shift : c - shift));
    }
    return out;
}

}  // namespace

int desplazamiento(std::size_t p, std::span<const int> tabla)
{
    const std::size_t r = p % tabla.size();
    return r == 0 ? tabla.back() : tabla[r - 1];
}

std::string sumar_desplazamientos(const std::string& text, std::span<const int> tabla)
{
    return shifted(text, tabla, true);
}

std::string restar_desplazamientos(const std::string& text, std::span<const int> tabla)
{
    return shifted(text, tabla, false);
}

std::string encriptar(const std::string& s) { return sumar_desplazamientos(s, tabla_desplazamientos); }

std::string desencriptar(const std::string& s) { return restar_desplazamientos(s, tabla_desplazamientos); }

}  // namespace kalvora
