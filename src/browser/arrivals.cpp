#include "browser/arrivals.h"

#include "base/text.h"
#include "browser/form5.h"
#include "browser/sms_list.h"
#include "compose/sent_reports.h"
#include "core/program.h"
#include "link/dispatcher.h"

namespace bsms {

namespace {

// The memory and location of a "+CMTI:" or "+CDSI:" line; location 0 when it has none.
std::pair<std::string, int> StoredAt(std::string_view line) {
    const std::size_t open = line.find('"');
    const std::size_t close = open == std::string_view::npos ? open : line.find('"', open + 1);
    const std::string memory(close == std::string_view::npos
                                 ? std::string_view()
                                 : line.substr(open + 1, close - open - 1));
    const std::size_t comma = line.rfind(',');
    const int location = comma == std::string_view::npos ? 0 : LeadingInt16(line.substr(comma + 1));
    return {memory, location};
}

void Notice(Program& p, MsgId text, const std::string& filling) {
    std::string notice = p.texts[text];
    notice.replace(notice.find("%1"), 2, filling);
    (*p.Form1)["StatusBar1"].setPanel(kNoticePanel, notice);
}

// Keeps a report in Reports.txt, beside the part it reports on, and tells its outcome; false when
// the file cannot be written.
bool KeepReport(Program& p, const Sms_Record& report, const std::string& pdu) {
    // A line of the file must read back: a PDU as hexadecimal, a number as digits.
    if (pdu.empty() || pdu.find_first_not_of("0123456789ABCDEF") != std::string::npos) return false;
    std::string number;
    for (char c : report.Sender_Number)
        if (c == '+' || (c >= '0' && c <= '9')) number += c;
    const std::vector<SentPart> sent = Sent_Parts(p);
    const SentPart* part = ReportedPart(report, sent);
    const KeptReport kept = part ? KeptReport{part->reference, part->recipient, part->when, pdu}
                                 : KeptReport{report.reportRef, number, "", pdu};
    if (!Keep_Report(p, kept)) return false;
    const std::vector<Sms_Record> list{Sms_Record{}, report};
    const std::vector<ListedMessage> paired =
        Listing(list, sent,
                {p.texts[MsgId::Part_Missing], p.texts[MsgId::Report_Delivered],
                 p.texts[MsgId::Report_Pending], p.texts[MsgId::Report_Failed],
                 p.texts[MsgId::Report_Unmatched]});
    if (!paired.empty()) Notice(p, MsgId::Report_Arrived, paired.front().record.Text);
    return true;
}

std::string Hex(std::string_view pdu) {
    const std::size_t first = pdu.find_first_not_of(" \t\r\n");
    const std::size_t last = pdu.find_last_not_of(" \t\r\n");
    std::string hex(first == std::string_view::npos ? "" : pdu.substr(first, last - first + 1));
    for (char& c : hex)
        if (c >= 'a' && c <= 'f') c = static_cast<char>(c - 'a' + 'A');
    return hex;
}

}  // namespace

void Take_Indication(Program& p, const std::string& line, const std::string& reportLine) {
    const std::vector<std::string>& picker = (*p.Form1)["Combo2"].items();
    if (line.starts_with("+CDS:")) {
        const Sms_Record report = Decode_Sms_Deliver(reportLine, picker);
        if (report.Kind != SmsKind::StatusReport) return;
        if (KeepReport(p, report, Hex(reportLine))) Browser_Report_Kept(p, 0);
        return;
    }
    const auto [memory, location] = StoredAt(line);
    if (location < 1) return;
    const bool where = memory.empty() || memory == "SM" || memory == "MT";
    if (line.starts_with("+CDSI:")) {
        // Read where messages are read: what is there is taken only when it is a report.
        if ((where || memory == "SR") && !p.line.has(Owner::Reports, location))
            p.Send(CommandLine(Owner::Reports, "AT+CMGR=" + std::to_string(location), location));
        return;
    }
    Notice(p, MsgId::New_Message_At, std::to_string(location));
    // The browser reads "MT", which begins with the SIM's locations; what it reads in is
    // notified from there, and not read twice.
    if (!where || Browser_New_Message(p, location) || !p.st.Opt_Notify) return;
    if (!p.line.has(Owner::Notify, location))
        // Unasked: the receive box keeps what the user was reading.
        p.Send(CommandLine(Owner::Notify, "AT+CMGR=" + std::to_string(location), location, false));
}

void Notify_Arrival(Program& p, int location, const Sms_Record& message) {
    if (!p.st.Opt_Notify || message.Kind != SmsKind::Deliver || message.Text.empty()) return;
    Notification n;
    n.summary = p.texts[MsgId::New_Message_From];
    n.summary.replace(n.summary.find("%1"), 2, message.Sender);
    n.body = U32ToUtf8(std::u32string_view(Utf8ToU32(message.Text)).substr(0, kNotifiedChars));
    if (n.body.size() < message.Text.size()) n.body += "...";
    n.location = location;
    n.open = [&p](int at) { Browser_Show_Message(p, at); };
    p.host.notify(n);
}

bool Notify_Answer(Program& p, const Command& command, const std::string& answer) {
    // An error has no PDU: nothing is told.
    const std::string pdu = Extract_Pdu(answer);
    Notify_Arrival(p, command.tag, Decode_Sms_Deliver(pdu, (*p.Form1)["Combo2"].items()));
    return true;
}

void Toggle_Notify(Program& p) {
    MenuItem& item = p.Form1->menu("Mn_Avviso");
    item.setChecked(!item.checked());
    p.st.Opt_Notify = item.checked();
}

bool Reports_Answer(Program& p, const Command& command, const std::string& answer) {
    const int location = command.tag;
    if (!command.bytes.starts_with("AT+CMGR=") || HasErrorResult(answer)) return true;
    const std::string pdu = Extract_Pdu(answer);
    const Sms_Record report = Decode_Sms_Deliver(pdu, (*p.Form1)["Combo2"].items());
    // Anything else there is the user's, and stays.
    if (report.Kind != SmsKind::StatusReport || !KeepReport(p, report, Hex(pdu))) return true;
    // Kept: the phone's memory is freed for the messages to come.
    p.Send(CommandLine(Owner::Reports, "AT+CMGD=" + std::to_string(location), location));
    Browser_Report_Kept(p, location);
    return true;
}

}  // namespace bsms
