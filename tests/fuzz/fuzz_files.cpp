// The program's files as a user's disk may hold them: Setting.sms, Sent.txt and Rubrica.txt with
// any bytes, read by a whole start-up.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "app/startup.h"
#include "fuzz_support.h"

namespace {

namespace fs = std::filesystem;

void Check(bool ok) {
    if (!ok) std::abort();
}

const fs::path& Folder() {
    static const fs::path folder = [] {
        fs::path f = fs::temp_directory_path() / ("bsms-fuzz-files-" + std::to_string(getpid()));
        fs::create_directories(f);
        return f;
    }();
    return folder;
}

void Write(const char* name, std::string_view bytes) {
    std::ofstream(Folder() / name, std::ios::binary | std::ios::trunc)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The input cut in three at its first two 0xFF bytes.
std::string_view Piece(std::string_view& rest) {
    const auto cut = rest.find('\xFF');
    const std::string_view piece = rest.substr(0, cut);
    rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
    return piece;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    const std::string_view settings = Piece(rest);
    const std::string_view sent = Piece(rest);
    const std::string_view phonebook = rest;

    Write("Setting.sms", settings);
    Write("Sent.txt", sent);
    Write("Rubrica.txt", phonebook);
    // One program for the whole run (making its windows costs more than reading the files);
    // each input is a fresh start-up of it.
    static bsms::fuzz::Port port;
    static bsms::fuzz::Desktop desktop;
    static const auto program = bsms::MakeProgram(desktop, port, Folder());
    port.setPortOpen(false);
    program->st = {};
    bsms::Form1_Load(*program);
    const bsms::DialogueState& st = program->st;
    Check(st.Sim_Phonebook_Size > 0 && st.Phone_Phonebook_Size > 0 && st.Browser_Slot_Count > 0);
    Check(port.commPort() >= 1);
    return 0;
}
