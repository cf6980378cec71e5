// The lines the phone sends of its own accord, with any memory, location or report, through the
// whole program on a phone that answers each command at once: only reads and deletes of
// locations 1 to 32767 are written, a location is deleted only when its last read found a report,
// and every report kept reads back from Reports.txt.
#include <unistd.h>

#include <fstream>
#include <map>

#include "app/startup.h"
#include "browser/form5.h"
#include "compose/sent_reports.h"
#include "core/files.h"
#include "fuzz_support.h"
#include "sms/alphabet.h"

using bsms::fuzz::Check;

namespace {

// A report on the part below; a read finds it, a message that is none (its first octet changed),
// or an error.
const bsms::SentPart kPart{5, "+393331234567", "2026/12/06 12:00:00", "Ci vediamo"};
const std::string kReport = "079193214305000006050C91933313325476622160210003006221602100030000";
const std::string kReads[] = {
    "\r\n+CMGR: 0,,25\r\n" + kReport + "\r\n\r\nOK\r\n",
    "\r\n+CMGR: 0,,25\r\n" + std::string(kReport).replace(16, 2, "04") + "\r\n\r\nOK\r\n",
    "\r\n+CMS ERROR: 321\r\n"};

// Records what is written; whether each location's last read found the report.
struct Phone : bsms::fuzz::Port {
    std::map<long, bool> report;
    long last = 0;  // the location of the command last written
    bool deleted = false;

    void check() {
        for (std::size_t end; (end = written.find('\r')) != std::string::npos;
             written.erase(0, end + 1)) {
            std::size_t at = 8;
            last = bsms::fuzz::Number(written, at, 99999);
            const bool read = written.starts_with("AT+CMGR="),
                       del = written.starts_with("AT+CMGD=");
            Check((read || del) && at == end && written[8] != '0' && last >= 1 && last <= 32767,
                  "a read or delete of a location 1 to 32767");
            Check(read || report[last], "a delete only where the last read found a report");
            report[last] = false;
            deleted = deleted || del;
        }
        Check(written.empty(), "every command ends");
    }
};

// A record of the input: a kind byte, then text. "+CMTI:" or "+CDSI:" with a memory and the text
// as location, "+CDS:" with the text's bytes in hexadecimal over the report's start, or the text.
std::string Arrival(std::uint8_t kind, std::string_view text) {
    const char* const memories[] = {"\"SM\",", "\"MT\",", "\"SR\",", "\"ME\",", "", "\"\","};
    const std::string at = memories[(kind >> 2) % 6] + std::string(text);
    std::string pdu;
    for (unsigned char c : text)
        pdu += bsms::Byte_To_Hex(c);
    const std::string lines[] = {"+CMTI: " + at, "+CDSI: " + at,
                                 "+CDS: 25\r\n" + pdu + kReport.substr(std::min(pdu.size(), 66UL))};
    return (kind & 3) == 3 ? std::string(text) : "\r\n" + lines[kind & 3] + "\r\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto folder =
        std::filesystem::temp_directory_path() / ("bsms-fuzz-arrivals-" + std::to_string(getpid()));
    static Phone phone;
    static bsms::fuzz::Desktop desktop;
    static const auto program = [] {
        std::filesystem::create_directories(folder);
        auto p = bsms::MakeProgram(desktop, phone, folder);
        p->Form1->load();
        phone.setPortOpen(true);
        return p;
    }();
    bsms::Program& p = *program;
    std::ofstream(folder / bsms::kReportsFile) << bsms::SentPartLine(kPart);
    p.line.reset();
    p.unfinishedLine.clear();
    (*p.Form1)["Text1"].setText("");
    phone.written.clear(), phone.report.clear(), phone.deleted = false;
    bsms::fuzz::Answer(desktop, {});
    bsms::BrowserWindow& w = bsms::Browser(p);  // an open one reads new messages in too
    w.Sms_List.assign(1, {});
    w.setShown(w.shownOnce = size > 0 && data[0] >= 0x80);

    for (std::string_view rest = bsms::fuzz::Text(data, size); !rest.empty();) {
        auto pick = static_cast<std::uint8_t>(rest[0]);  // then the answers' choices, in turn
        const std::size_t cut = std::min(rest.find('\xFF', 1), rest.size());
        phone.arrive(Arrival(pick, rest.substr(1, cut - 1)));
        rest.remove_prefix(std::min(cut + 1, rest.size()));
        for (const bsms::InFlight* f; (f = p.line.inFlight()) != nullptr;) {
            phone.check();
            pick = static_cast<std::uint8_t>(pick * 5 + 1);
            const bool read = f->command.bytes.starts_with("AT+CMGR=");
            if (read) phone.report[phone.last] = (pick >> 6) % 3 == 0;
            phone.arrive(read ? kReads[(pick >> 6) % 3] : "\r\nOK\r\n");
        }
        phone.check();
    }
    // Every line reads back as what it was written for; a report deleted from the phone is kept.
    const std::string file = bsms::ReadFileHead(folder / bsms::kReportsFile, 1 << 16).value();
    const std::vector<bsms::KeptReport> kept = bsms::ParseKeptReports(file);
    const auto lines = static_cast<std::size_t>(std::count(file.begin(), file.end(), '\n'));
    Check(bsms::ParseSentParts(file) == std::vector{kPart} && kept.size() + 1 == lines,
          "every line reads back");
    Check(!phone.deleted || std::any_of(kept.begin(), kept.end(),
                                        [](const bsms::KeptReport& k) { return k.pdu == kReport; }),
          "a report deleted from the phone is kept");
    return 0;
}
