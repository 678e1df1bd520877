// The number forms of game text files and INI files, and the reading of lines that end in CR LF,
// LF or CR. All of it is independent of the host's locale: "." and "," are the game's separators.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qv::system {

// Characters of a text file, one at a time: nothing at the end of the file.
using NextChar = std::function<std::optional<char>()>;
using PeekChar = std::function<std::optional<char>()>;

// Reads a real from the current line: blanks and tabs are skipped while the value is 0, "-"
// negates while the value is 0, "." and "," each shift the following digits one place further,
// and the first other character ends the number and is consumed. Never reads past the line end.
double ReadTextReal(const PeekChar& peek, const NextChar& next);

// A real as a text file holds it: a blank, "-" for a negative value, the integer part, and a
// point with exactly six digits when the fraction scaled by 1000000 is not 0.
std::string FormatTextReal(double x);

// The number of an INI entry: "." or "," starts the fraction, "E"/"e" the exponent, "-" negates
// the mantissa or (in the exponent) the exponent; a second separator or exponent mark, or any
// other character, ends it. Non-numeric text gives 0.
double ParseIniReal(std::string_view text);

// A real in the system's general text form: up to 15 significant digits, "." as the separator,
// an exponent ("1.5E20", "1E-5") outside 1e-4 .. 1e15; read back the same way by ParseIniReal.
std::string FormatGeneralReal(double x);

}  // namespace qv::system
