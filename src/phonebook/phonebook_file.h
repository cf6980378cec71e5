// The phonebook file Rubrica.txt beside the program: one picker entry a line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bsms {

class Program;

inline constexpr const char* kPhonebookFile = "Rubrica.txt";

// The non-empty fields of a delimited text: leading blanks skipped, an unquoted field ends at a
// comma or a line end, a field opened by a double quote runs to the next one (or the line end)
// and may hold commas; what follows its closing quote up to the delimiter is kept with it.
std::vector<std::string> ReadFields(std::string_view text);
// The file's bytes as text: UTF-8 when the whole file is (as a text editor may write it, with or
// without a byte-order mark), else Windows-1252.
std::string DecodeFileText(std::string_view bytes);
// One entry as a line of the file: in quotes when it holds a comma or starts with a blank or a
// quote, so that it reads back whole (a comma after a quote character cannot be kept).
std::string FileLine(const std::string& entry);
// The file's bytes for the entries, a line each ending in CR LF: Windows-1252, or UTF-8 with a
// byte-order mark when an entry has a character that Windows-1252 lacks or when the
// Windows-1252 bytes would read as UTF-8.
std::string PhonebookFileBytes(const std::vector<std::string>& entries);

// Mn_Rub_Load, also run at start-up: refills Combo2 from the file. A missing file leaves the
// picker empty and as it was, without a message.
void Load_Phonebook(Program& p);
// Mn_Rub_Save: replaces the file with the entries of Combo2; a failure is shown to the user and
// leaves the old file whole.
void Save_Phonebook(Program& p);

}  // namespace bsms
