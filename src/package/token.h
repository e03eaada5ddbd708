// The project token as stored in the options and download blocks: scrambled so
// that it does not stand in the file as plain text.
#pragma once

#include <cstdint>
#include <string>

// Descrambles a stored token. Returns false (and leaves *out alone) when it
// does not decode: fewer than five bytes, a wrong check byte or padding counts
// that run past its end.
bool TryDescrambleToken(const std::string& scrambled, std::string* out);

// As the callers use it: the descrambled token, or the decimal text of a random
// number below 99999 when it does not decode, so that two undecodable tokens
// almost never compare equal.
std::string DescrambleToken(const std::string& scrambled);

// Scrambles a plain token so that TryDescrambleToken yields it. `seed` picks the
// key and padding (the same seed gives the same text).
std::string ScrambleToken(const std::string& plain, uint32_t seed);
