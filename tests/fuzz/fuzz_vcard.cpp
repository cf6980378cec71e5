// vCard files of any bytes: reading never fails, its entries are valid UTF-8 with a number each,
// every problem names a line of the text, and what is written of the entries reads back as them.

#include <algorithm>

#include "fuzz_support.h"
#include "phonebook/vcard.h"

using bsms::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = bsms::fuzz::Text(data, size);
    const bsms::VCardRead read = bsms::ReadVCards(text);
    const long lines = std::count(text.begin(), text.end(), '\n') + 1;
    for (const bsms::VCardProblem& p : read.problems)
        Check(p.line >= 1 && p.line <= lines, "a problem names a line of the text");
    for (const bsms::VCardEntry& e : read.entries) {
        Check(bsms::fuzz::ValidUtf8(e.name) && bsms::fuzz::ValidUtf8(e.number), "valid UTF-8");
        Check(!e.number.empty(), "every entry has a number");
    }
    const bsms::VCardRead again = bsms::ReadVCards(bsms::VCardText(read.entries));
    Check(again.entries == read.entries, "the entries written read back");
    Check(again.problems.empty() || read.entries.empty(), "what is written has no problem");
    return 0;
}
