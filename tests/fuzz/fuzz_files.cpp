// The program's files as a user's disk may hold them: the readers on the text alone (the items of
// Setting.sms and Sent.txt, the fields of Rubrica.txt in whatever encoding an editor left it),
// then Setting.sms, Sent.txt and Rubrica.txt with any bytes, read by a whole start-up.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/startup.h"
#include "core/files.h"
#include "fuzz_support.h"
#include "phonebook/phonebook_file.h"

namespace fs = std::filesystem;
using bsms::fuzz::Check;

namespace {

void CheckReaders(std::string_view bytes) {
    for (const std::string& item : bsms::SplitItems(bsms::Cp1252ToUtf8(bytes))) {
        Check(item.find_first_of(",\r\n") == std::string::npos, "an item holds no separator");
        Check(item.empty() || (item.front() != ' ' && item.back() != ' '), "items are trimmed");
    }
    const std::string text = bsms::DecodeFileText(bytes);
    Check(bsms::fuzz::ValidUtf8(text), "valid UTF-8 for the picker");
    // What the program writes reads back as the same entries, but for a comma after a quote
    // character, which the file's quoting cannot hold.
    std::vector<std::string> keepable;
    for (const std::string& field : bsms::ReadFields(text)) {
        Check(!field.empty() && field.find_first_of("\r\n") == std::string::npos, "one line each");
        const auto quote = field.find('"');
        if (quote == std::string::npos || field.find(',', quote) == std::string::npos)
            keepable.push_back(field);
    }
    Check(bsms::ReadFields(bsms::DecodeFileText(bsms::PhonebookFileBytes(keepable))) == keepable,
          "the entries written read back");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CheckReaders(bsms::fuzz::Text(data, size));
    // One folder and one program for the whole run (making its windows costs more than reading
    // the files); each input is a fresh start-up of it.
    static const fs::path folder = [] {
        fs::path f = fs::temp_directory_path() / ("bsms-fuzz-files-" + std::to_string(getpid()));
        fs::create_directories(f);
        return f;
    }();
    static bsms::fuzz::Port port;
    static bsms::fuzz::Desktop desktop;
    static const auto program = bsms::MakeProgram(desktop, port, folder);
    // The input cut in three at its first two 0xFF bytes.
    std::string_view rest = bsms::fuzz::Text(data, size);
    const char* const names[] = {"Setting.sms", "Sent.txt", "Rubrica.txt"};
    for (int i = 0; i < 3; ++i) {
        const std::size_t cut = i < 2 ? std::min(rest.find('\xFF'), rest.size()) : rest.size();
        std::ofstream(folder / names[i], std::ios::binary | std::ios::trunc)
            .write(rest.data(), static_cast<std::streamsize>(cut));
        rest.remove_prefix(std::min(cut + 1, rest.size()));
    }
    port.setPortOpen(false);
    port.written.clear();
    bsms::fuzz::Answer(desktop, {});
    program->st = {};
    bsms::Form1_Load(*program);
    const bsms::DialogueState& st = program->st;
    Check(st.Sim_Phonebook_Size > 0 && st.Phone_Phonebook_Size > 0 && st.Browser_Slot_Count > 0,
          "sizes above 0");
    Check(port.commPort() >= 1, "a port number of 1 or more");
    return 0;
}
