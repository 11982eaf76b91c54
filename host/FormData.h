// Form data as browsers post it (application/x-www-form-urlencoded).
#pragma once

#include <map>
#include <string>
#include <string_view>

// The fields of BODY by name, decoded ("+" a blank, "%XX" a byte; a "%" without
// two hexadecimal digits stays as it is). A name given twice keeps its first value.
std::map<std::string, std::string> ParseFormData(std::string_view body);
