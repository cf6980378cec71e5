// The readers of the program's files on their text alone: the items of Setting.sms and
// Sent.txt, and the fields of Rubrica.txt in whatever encoding an editor left it.

#include "core/files.h"
#include "fuzz_support.h"
#include "phonebook/phonebook_file.h"

using bsms::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = bsms::fuzz::Text(data, size);
    for (const std::string& item : bsms::SplitItems(bsms::Cp1252ToUtf8(bytes))) {
        Check(item.find_first_of(",\r\n") == std::string::npos, "an item holds no separator");
        Check(item.empty() || (item.front() != ' ' && item.back() != ' '), "items are trimmed");
    }
    const std::string text = bsms::DecodeFileText(bytes);
    Check(bsms::fuzz::ValidUtf8(text), "valid UTF-8 for the picker");
    const auto fields = bsms::ReadFields(text);
    // What the program writes reads back as the same entries, but for a comma after a quote
    // character, which the file's quoting cannot hold.
    std::vector<std::string> keepable;
    for (const std::string& field : fields) {
        Check(!field.empty() && field.find_first_of("\r\n") == std::string::npos, "one line each");
        const auto quote = field.find('"');
        if (quote == std::string::npos || field.find(',', quote) == std::string::npos)
            keepable.push_back(field);
    }
    Check(bsms::ReadFields(bsms::DecodeFileText(bsms::PhonebookFileBytes(keepable))) == keepable,
          "the entries written read back");
    return 0;
}
