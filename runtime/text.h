// Text helpers of the runtime.  Pure byte handling, no system calls.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// c with an ASCII capital made small; every other byte, accented letters
// included, as it is.
char ascii_lower(char c);

// Equal bytes, except that ASCII letters match whatever their case;
// accented letters must match byte for byte.
bool same_ignoring_ascii_case(std::string_view a, std::string_view b);

// The decimal number at the start of text (blanks, sign, digits, fraction,
// exponent), as single precision; 0 when there is none.
float text_to_float(const std::string& text);

// The parameters of a command line, the program's own name left out.
// Parameters are separated by blanks; one that begins with a double quote
// runs to the next double quote (or the end) and loses its quotes.
std::vector<std::string> split_program_parameters(const std::string& command_line);

// The index-th field (from 1) of text split at the first character of
// separator; "" past the last field.
std::string string_field(const std::string& text, int index, const std::string& separator);

constexpr int REMOVE_IGNORE_CASE = 1;
// text with every occurrence of part removed; REMOVE_IGNORE_CASE compares
// ASCII letters without regard to case.
std::string remove_string(const std::string& text, const std::string& part, int mode);

constexpr int SORT_IGNORE_CASE = 2;
// Sorts the slots first..last ascending; SORT_IGNORE_CASE disregards the case
// of the letters a to z.  Nothing happens unless first < last.
void sort_array(std::vector<std::string>& array, int options, int first, int last);

// value in fixed-point notation with that many decimals ("%.Nf"); -1 means six.
std::string format_decimal(float value, int decimals);
