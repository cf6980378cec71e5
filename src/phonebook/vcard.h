// Contacts as vCard files, for moving a phonebook to and from other programs and phones. Writes
// 3.0; reads 2.1 (quoted-printable, 8-bit character sets), 3.0 and, leniently, 4.0.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bsms {

struct MessageTexts;

// One name and one number, UTF-8.
struct VCardEntry {
    std::string name;
    std::string number;
    bool operator==(const VCardEntry&) const = default;
};

// Why a card (or a stretch of the text) was left out.
enum class VCardIssue {
    NotAVCard,     // lines outside any BEGIN:VCARD ... END:VCARD
    Unterminated,  // a card with no END:VCARD
    NoNumber,      // a card without any usable TEL
    BadEncoding,   // a name or number whose quoted-printable cannot be decoded
};

struct VCardProblem {
    int line;  // from 1: where the card, or the stray text, begins; the bad line for BadEncoding
    VCardIssue issue;
    bool operator==(const VCardProblem&) const = default;
};

struct VCardRead {
    std::vector<VCardEntry> entries;
    std::vector<VCardProblem> problems;
};

// vCard 3.0, CR LF line ends, lines folded at 75 octets: one card per entry.
std::string VCardText(const std::vector<VCardEntry>& entries);

// Every card of the text: one entry per TEL line, with the card's name (FN, else N); numbers
// without the blanks, dashes, dots and parentheses that only group the digits. Never throws.
VCardRead ReadVCards(std::string_view text);

// A problem in the user's language, with its line.
std::string VCardProblemText(const MessageTexts& texts, const VCardProblem& problem);

}  // namespace bsms
