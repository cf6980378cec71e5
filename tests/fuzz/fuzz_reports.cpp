// Reports.txt with any bytes: only well-formed part and kept-report lines are read, and every line
// written, for what was read or for records made of the input's pieces, reads back equal.

#include "compose/sent_reports.h"
#include "fuzz_support.h"
#include "sms/alphabet.h"

using bsms::fuzz::Check;

namespace {

// The fields before the last hold no comma, none a line feed (a lone CR may stand in any).
bool WellFormed(int reference, const std::string& recipient, const std::string& when,
                const std::string& last) {
    return reference >= 0 && reference <= 32767 &&
           recipient.find_first_of(",\n") == std::string::npos &&
           when.find_first_of(",\n") == std::string::npos && last.find('\n') == std::string::npos;
}

void CheckPart(const bsms::SentPart& p) {
    const std::string line = bsms::SentPartLine(p);
    Check(WellFormed(p.reference, p.recipient, p.when, p.text) &&
              bsms::ParseSentParts(line) == std::vector{p} && bsms::ParseKeptReports(line).empty(),
          "a part is well-formed and reads back from its line alone");
}

void CheckKept(const bsms::KeptReport& k) {
    const std::string line = bsms::KeptReportLine(k);
    Check(WellFormed(k.reference, k.recipient, k.when, k.pdu) && !k.pdu.empty() &&
              k.pdu.find_first_not_of("0123456789ABCDEFabcdef") == std::string::npos &&
              bsms::ParseKeptReports(line) == std::vector{k} && bsms::ParseSentParts(line).empty(),
          "a kept report is well-formed and reads back from its line alone");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = bsms::fuzz::Text(data, size);
    for (const bsms::SentPart& part : bsms::ParseSentParts(text))
        CheckPart(part);
    for (const bsms::KeptReport& kept : bsms::ParseKeptReports(text))
        CheckKept(kept);
    // Records as the program writes them: the first byte the reference, then recipient, time and
    // text up to 0xFF bytes; the report's PDU the text's bytes in hexadecimal.
    std::string_view rest = text.substr(std::min<std::size_t>(1, size));
    std::string fields[3];
    for (int k = 0; k < 3; ++k) {
        const std::size_t cut = std::min(rest.find('\xFF'), rest.size());
        fields[k] = bsms::fuzz::Without(rest.substr(0, cut), k < 2 ? ",\n" : "\n");
        rest.remove_prefix(std::min(cut + 1, rest.size()));
    }
    const int reference = size > 0 ? data[0] : 0;
    CheckPart({reference, fields[0], fields[1], fields[2]});
    std::string pdu;
    for (unsigned char c : fields[2])
        pdu += bsms::Byte_To_Hex(c);
    if (!pdu.empty()) CheckKept({reference, fields[0], fields[1], pdu});
    return 0;
}
