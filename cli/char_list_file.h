#pragma once
// The character list files of --chars, read whole and parsed by the core's
// character list rule (coverage/sets/char_list.h).
#include <string>
#include <vector>

namespace glyphcensus {

// Reads and parses the file; `error` names the problem (not the file).
bool ReadCharListFile(const std::string& path, std::vector<char32_t>* characters,
                      std::string* error);

}  // namespace glyphcensus
