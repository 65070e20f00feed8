// The settings-file reader: one group/key text file at a time, loaded whole,
// read only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// settings.cpp: the file, held open against writers until it is closed; its
// Windows-1252 text is read as UTF-8, as every text of the programs is.
int open_settings(const std::string& path);           // non-zero when opened and read
void close_settings();

// settings_text.cpp: the lookups over the loaded text, and a text in memory
// read as a file of those bytes would be (no system calls).
int open_settings_text(std::string_view bytes);       // replaces what was loaded; non-zero
int select_settings_group(const std::string& name);   // 1 when the group was found
std::string read_setting_text(const std::string& key, const std::string& default_value = "");
int32_t read_setting_number(const std::string& key, int32_t default_value);
void close_settings_text();                           // forgets the loaded text
