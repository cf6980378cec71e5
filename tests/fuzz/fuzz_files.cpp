// The program's files as a user's disk may hold them: Setting.sms, Sent.txt and Rubrica.txt with
// any bytes, read by a whole start-up.
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "app/startup.h"
#include "fuzz_support.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
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
    program->st = {};
    bsms::Form1_Load(*program);
    const bsms::DialogueState& st = program->st;
    bsms::fuzz::Check(
        st.Sim_Phonebook_Size > 0 && st.Phone_Phonebook_Size > 0 && st.Browser_Slot_Count > 0,
        "sizes above 0");
    bsms::fuzz::Check(port.commPort() >= 1, "a port number of 1 or more");
    return 0;
}
