// Reports.txt with any bytes: only well-formed part and kept-report lines are read, each reads
// back from the line written for it, and every line the program writes reads back equal.

#include "compose/sent_reports.h"
#include "fuzz_support.h"
#include "sms/alphabet.h"

using bsms::fuzz::Check;

namespace {

// A field before the last: no comma, no line end (a lone CR may stand in any field).
bool Field(const std::string& s) {
    return s.find_first_of(",\n") == std::string::npos;
}

void CheckPart(const bsms::SentPart& part) {
    Check(part.reference >= 0 && part.reference <= 32767 && Field(part.recipient) &&
              Field(part.when) && part.text.find('\n') == std::string::npos,
          "a part read is well-formed");
    Check(bsms::ParseSentParts(bsms::SentPartLine(part)) == std::vector{part} &&
              bsms::ParseKeptReports(bsms::SentPartLine(part)).empty(),
          "a part line reads back as its part alone");
}

void CheckKept(const bsms::KeptReport& kept) {
    Check(kept.reference >= 0 && kept.reference <= 32767 && Field(kept.recipient) &&
              Field(kept.when) && !kept.pdu.empty() &&
              kept.pdu.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos,
          "a kept report read is well-formed");
    Check(bsms::ParseKeptReports(bsms::KeptReportLine(kept)) == std::vector{kept} &&
              bsms::ParseSentParts(bsms::KeptReportLine(kept)).empty(),
          "a kept report's line reads back as it alone");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = bsms::fuzz::Text(data, size);
    for (const bsms::SentPart& part : bsms::ParseSentParts(text))
        CheckPart(part);
    for (const bsms::KeptReport& kept : bsms::ParseKeptReports(text))
        CheckKept(kept);
    // What the program writes, from the input's pieces: the first byte the reference, then
    // recipient, time and text up to 0xFF bytes; the report's PDU the text's bytes in hexadecimal.
    std::string_view rest = text.substr(std::min<std::size_t>(1, text.size()));
    std::string pieces[3];
    for (int k = 0; k < 3; ++k) {
        const std::size_t cut = std::min(rest.find('\xFF'), rest.size());
        pieces[k] = bsms::fuzz::Without(rest.substr(0, cut), k < 2 ? ",\n" : "\n");
        rest.remove_prefix(std::min(cut + 1, rest.size()));
    }
    const int reference = size > 0 ? data[0] : 0;
    CheckPart({reference, pieces[0], pieces[1], pieces[2]});
    std::string pdu;
    for (unsigned char c : pieces[2])
        pdu += bsms::Byte_To_Hex(c);
    if (!pdu.empty()) CheckKept({reference, pieces[0], pieces[1], pdu});
    return 0;
}
