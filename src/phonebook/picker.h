// The recipient picker Combo2: choosing or typing an entry puts its number into Text4.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace bsms {

class Program;

// The number of a picker entry: the text between the last ")" and the "(" before it, so that a
// name holding parentheses does not count. Nothing when there is no such pair.
std::optional<std::string> PickerNumber(std::string_view entry);
// Combo2's change and click: Text4 gets the number of Combo2's text, or stays as it is.
void Fill_Recipient(Program& p);

}  // namespace bsms
