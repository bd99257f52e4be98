#include "credentials/scrambler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace kalvora {
namespace {

TEST(Scrambler, TableRepeatsWithTheLastEntryOnMultiples)
{
    EXPECT_EQ(desplazamiento(1, tabla_desplazamientos), 8);
    EXPECT_EQ(desplazamiento(2, tabla_desplazamientos), 2);
    EXPECT_EQ(desplazamiento(3, tabla_desplazamientos), 9);
    EXPECT_EQ(desplazamiento(4, tabla_desplazamientos), 8);
    EXPECT_EQ(desplazamiento(300, tabla_desplazamientos), 9);
}

TEST(Scrambler, FixedVectors)
{
    // "abc", L = 3:  'a' 97 + 3 + 1 + 8 = 109 'm';  'b' 98 + 3 + 2 + 2 = 105 'i';
    //                'c' 99 + 3 + 3 + 9 = 114 'r'.
    EXPECT_EQ(encriptar("abc"), "mir");
    EXPECT_EQ(desencriptar("mir"), "abc");
    // "A", L = 1: 65 + 1 + 1 + 8 = 75 'K'.
    EXPECT_EQ(encriptar("A"), "K");
    EXPECT_EQ(encriptar(""), "");
}

TEST(Scrambler, WrapsAroundBothWays)
{
    // 255 + 1 + 1 + 8 = 265 -> 9;  0 - 1 - 1 - 8 = -10 -> 246.
    EXPECT_EQ(encriptar("\xFF"), "\x09");
    EXPECT_EQ(desencriptar(std::string(1, '\0')), "\xF6");
    // Lengths past 255: 300 zeros, the last byte is 0 + 300 + 300 + 9 (300 mod 3 = 0) = 609 -> 97.
    const std::string zeros(300, '\0');
    EXPECT_EQ(static_cast<unsigned char>(encriptar(zeros).back()), 97);
}

TEST(Scrambler, RoundTripsArbitraryBytes)
{
    std::string every;
    for (int c = 0; c < 256; ++c)
        every += char(c);
    std::mt19937 random(7);
    std::string noise(1000, '\0');
    std::generate(noise.begin(), noise.end(), [&] { return char(random() & 0xFF); });
    for (const std::string& s : {every, noise, std::string(3, '\0'), std::string("\xFF\xFF")}) {
        EXPECT_EQ(s.size(), encriptar(s).size());
        EXPECT_EQ(desencriptar(encriptar(s)), s);
        EXPECT_EQ(encriptar(desencriptar(s)), s);
    }
    const int other[] = {5, 250};
    EXPECT_EQ(restar_desplazamientos(sumar_desplazamientos(noise, other), other), noise);
}

TEST(Scrambler, AppendingAByteShiftsEveryByte)
{
    const std::string shorter = encriptar("clave");
    const std::string longer = encriptar("clave!");
    for (std::size_t i = 0; i < shorter.size(); ++i)
        EXPECT_EQ(static_cast<unsigned char>(longer[i]), static_cast<unsigned char>(shorter[i] + 1)) << i;
}

}  // namespace
}  // namespace kalvora
