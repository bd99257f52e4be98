// The scrambler undoes itself for any bytes and any offset table, and keeps the length.
#include "credentials/scrambler.h"
#include "fuzz/check.h"
#include "fuzz/input.h"

#include <cstdint>
#include <vector>

using namespace kalvora;
using kalvora::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kalvora::fuzz::Input input(data, size);
    std::vector<int> table(1 + input.choice(6));
    for (int& offset : table)
        offset = int(input.integer() % 100000);
    const std::string text = input.rest();

    const std::string scrambled = encriptar(text);
    require(scrambled.size() == text.size(), "scrambling keeps the length");
    require(desencriptar(scrambled) == text, "desencriptar undoes encriptar");
    require(encriptar(desencriptar(text)) == text, "encriptar undoes desencriptar");
    require(restar_desplazamientos(sumar_desplazamientos(text, table), table) == text, "any table undoes itself");
    return 0;
}
