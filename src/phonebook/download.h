// The download of the SIM's and the phone's phonebooks into the recipient picker Combo2: a small
// state machine driven by the phone's OK replies, shown behind the progress window Form3.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace bsms {

class Program;

// One entry of a phone's phonebook as a listing gives it: the book ("SM" the SIM's, "ME" the
// phone's), its location, number and name (UTF-8).
struct BookEntry {
    std::string book;
    int location = 0;
    std::string number;
    std::string name;
    bool operator==(const BookEntry&) const = default;
};
// The entries of a reply holding "+CPBR: " lines, as ParseListing reads them, with their
// locations (0 where the line gives none).
std::vector<BookEntry> ParseEntries(std::string_view reply, const std::string& book,
                                    bool ucs2 = false);

// A picker entry: "text (number)", or "(number)" when the text is empty.
std::string PickerEntry(std::string_view number, std::string_view text);
// The picker entries of a reply holding "+CPBR: " lines, in the order listed: the first quoted
// field of a line is the number, the second the text. A line whose number is empty, or whose
// text field is missing or unclosed, gives nothing. With `ucs2`, fields in UCS2 hexadecimal are
// read so (a number only when it reads as one).
std::vector<std::string> ParseListing(std::string_view reply, bool ucs2 = false);
// A UCS2 field (four hexadecimal digits per UTF-16 unit, surrogate pairs joined) as UTF-8;
// nothing when it is not one.
std::optional<std::string> Ucs2HexText(std::string_view hex);
// Whether the reply ends in a final "OK" line of its own, rather than in a name that a slow line
// cut short right after "OK" or "> ".
bool EndsWithOkLine(std::string_view reply);

// Mn_Upload: empties the picker, asks for the character sets the phone offers (to read names in
// UCS2 where it can), selects the SIM phonebook and shows Form3 until the download ends or is
// cancelled.
void Download_Phonebook(Program& p);
// The dispatcher's route for replies ending in OK or an error while Phonebook_Download is set:
// selects, reads and parses the SIM's and then the phone's phonebook; the last listing closes
// Form3. On an error: a phonebook refused by name is asked for again in quotes; "not found" is
// an empty listing; a phone without a phonebook of its own keeps the SIM's entries; otherwise
// the download fails, and the picker is left as it was before. True when the error is taken
// care of here and is not to be reported.
bool Phonebook_Reply_Handler(Program& p, const std::string& reply);
// The phone left a command unanswered: the download ends as one that failed, but for what both
// phonebooks gave when only the phone's own memory is left. The phone gets its own character set
// back either way.
void Phonebook_No_Answer(Program& p);
// The download is ended from outside (its window closed, the port closed, another dialogue
// started): the entries read so far stay, and the phone gets its own character set back.
void Phonebook_Cut_Short(Program& p);

}  // namespace bsms
