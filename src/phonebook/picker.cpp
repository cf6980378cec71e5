#include "phonebook/picker.h"

#include "core/program.h"

namespace bsms {

std::optional<std::string> PickerNumber(std::string_view entry) {
    const std::size_t close = entry.rfind(')');
    if (close == std::string_view::npos || close == 0) return std::nullopt;
    const std::size_t open = entry.rfind('(', close - 1);
    if (open == std::string_view::npos) return std::nullopt;
    return std::string(entry.substr(open + 1, close - open - 1));
}

void Fill_Recipient(Program& p) {
    Window& f = *p.Form1;
    if (const auto number = PickerNumber(f["Combo2"].text())) f["Text4"].setText(*number);
}

}  // namespace bsms
