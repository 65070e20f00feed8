// The settings-file reader: one group/key text file at a time, loaded whole,
// read only.
#pragma once

#include <cstdint>
#include <string>

int open_settings(const std::string& path);           // non-zero when opened and read
int select_settings_group(const std::string& name);   // 1 when the group was found
std::string read_setting_text(const std::string& key, const std::string& default_value = "");
int32_t read_setting_number(const std::string& key, int32_t default_value);
void close_settings();
