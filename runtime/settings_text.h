// Group and key lookup in the text of a settings file.  Pure byte handling,
// no system calls, so that it can be built and fuzzed on any host.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr size_t NO_POSITION = static_cast<size_t>(-1);

// Offset of the line after the first header line "[" + name + "]" (ASCII
// letters compared without regard to case), or NO_POSITION.
size_t find_settings_group(std::string_view text, std::string_view name);

// Offset just after the "=" of the first line of the group starting at
// `group` whose key is `key`, or NO_POSITION.  The group ends at the next line
// that begins with "[".
size_t find_settings_key(std::string_view text, size_t group, std::string_view key, char comment);

// The value after the "=" at `value`: from the first non-blank byte up to the
// line end, trailing blanks kept.
std::string settings_value_text(std::string_view text, size_t value);

// The decimal integer at the start of the value (0 when there is none).
int32_t settings_value_number(std::string_view text, size_t value);
