// The readers of the program's files on their text alone: the items of Setting.sms and
// Sent.txt, and the fields of Rubrica.txt in whatever encoding an editor left it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "core/files.h"
#include "phonebook/phonebook_file.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    for (const std::string& item : bsms::SplitItems(bsms::Cp1252ToUtf8(bytes))) {
        Check(item.find_first_of(",\r\n") == std::string::npos);
        Check(item.empty() || (item.front() != ' ' && item.back() != ' '));
    }
    const std::string text = bsms::DecodeFileText(bytes);
    Check(bsms::U32ToUtf8(bsms::Utf8ToU32(text)) == text);  // valid UTF-8 for the picker
    const auto fields = bsms::ReadFields(text);
    for (const std::string& field : fields)
        Check(!field.empty() && field.find_first_of("\r\n") == std::string::npos);
    // What the program writes reads back as the same entries, but for a comma after a quote
    // character, which the file's quoting cannot hold.
    std::vector<std::string> keepable;
    for (const std::string& field : fields) {
        const auto quote = field.find('"');
        if (quote == std::string::npos || field.find(',', quote) == std::string::npos)
            keepable.push_back(field);
    }
    Check(bsms::ReadFields(bsms::DecodeFileText(bsms::PhonebookFileBytes(keepable))) == keepable);
    return 0;
}
